#include "cli/speech.h"

#include <cstdlib>
#include <string_view>

namespace cli {

namespace {

vantrel::message_style current{vantrel::language::en, vantrel::unit_system::eng};

}  // namespace

vantrel::language language_of_environment() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = std::getenv(name);
        if (value == nullptr || *value == '\0') continue;
        return std::string_view(value).starts_with("ru") ? vantrel::language::ru : vantrel::language::en;
    }
    return vantrel::language::en;
}

void speak(const vantrel::message_style& style) { current = style; }

void speak_units(vantrel::unit_system units) { current.units = units; }

const vantrel::message_style& speech() { return current; }

std::string say(text_id id, const std::vector<message_value>& values) {
    return vantrel::format_message(text_template(id, current.lang), values, current);
}

std::string say(const vantrel::message& m) { return m.text(current); }

}  // namespace cli
