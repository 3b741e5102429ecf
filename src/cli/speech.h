// The language and units the modes speak in: English, or Russian where the
// locale asks for it; numbers in messages in the units of the mode. Every
// text of the modes comes through here, from the front ends' catalogue
// (cli/catalogue.h) or the library's messages.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/catalogue.h"
#include "vantrel/messages.h"

namespace cli {

using vantrel::message_id;
using vantrel::message_value;
using vantrel::number_value;
using vantrel::text_value;

// Russian when the locale (LC_ALL, else LC_MESSAGES, else LANG: the first
// one set and not empty) starts with "ru", English otherwise.
vantrel::language language_of_environment();

// What the run speaks in: set once as it starts (the legacy form: Russian,
// numbers as the library writes them), and the units once its options are
// read; read from every thread afterwards.
void speak(const vantrel::message_style& style);
void speak_units(vantrel::unit_system units);
const vantrel::message_style& speech();

std::string say(text_id id, const std::vector<message_value>& values = {});
std::string say(const vantrel::message& m);

// A failure of a front end's own, its text said already: one line, exit
// status 1.
struct failure : std::runtime_error {
    using std::runtime_error::runtime_error;
};

}  // namespace cli
