#include "vantrel/messages.h"

#include <array>
#include <charconv>
#include <cmath>

#include "engine/base/text.h"
#include "vantrel/vantrel.h"

namespace vantrel {

namespace {

using enum message_id;

struct entry {
    message_id id;
    std::string_view key, en, ru;
};

// The catalogue: every message, its key and its texts, in the order of the enum.
constexpr entry CATALOGUE[] = {
    {temperature_not_positive, "temperature_not_positive", "Invalid temperature T = {0}: it must be above {1}.",
     "Недопустимая температура T = {0}: она должна быть больше {1}."},
    {pressure_not_positive, "pressure_not_positive", "Invalid pressure p = {0}: it must be above {1}.",
     "Недопустимое давление p = {0}: оно должно быть больше {1}."},
    {value_not_finite, "value_not_finite", "Invalid value {0}.", "Недопустимое значение {0}."},
    {fraction_outside, "fraction_outside", "Invalid vapour fraction x = {0}: it must be from 0 to 1.",
     "Недопустимая доля пара x = {0}: она должна быть от 0 до 1."},
    {density_not_positive, "density_not_positive", "Invalid density rho = {0}: it must be above 0.",
     "Недопустимая плотность rho = {0}: она должна быть больше 0."},
    {pair_values, "pair_values", "{0} and {1}", "{0} и {1}"},
    {below_lower_limit, "below_lower_limit",
     "The state with {0} lies below the lower limit of the equation of state of {1} (T = {2}).",
     "Состояние с {0} лежит ниже нижней границы уравнения состояния {1} (T = {2})."},
    {state_not_reproduced, "state_not_reproduced",
     "The state from ({0}, {1}) did not converge: the state found does not reproduce {2}.",
     "Расчёт состояния по ({0}, {1}) не сошёлся: найденное состояние не воспроизводит {2}."},
    {no_state, "no_state", "No state with {0} exists.", "Состояния с {0} не существует."},
    {invalid_pair, "invalid_pair", "Invalid pair of values.", "Недопустимая пара величин."},
    {near_critical, "near_critical",
     "The state is too close to the critical point: the real fluid's properties are not computed there.",
     "Состояние слишком близко к критической точке: свойства реального вещества не рассчитываются."},
    {no_gas, "no_gas", "The equation of state of {0} defines no gas at T = {1} and p = {2}.",
     "Уравнение состояния {0} не определяет газа при T = {1} и p = {2}."},
    {out_of_range, "out_of_range", "The state lies outside the range of validity of the equation of {0} ({1}).",
     "Состояние вне области применимости уравнения {0} ({1})."},
    {range_T_from_to, "range_T_from_to", "T from {0#} to {1}", "T от {0#} до {1}"},
    {range_T_from, "range_T_from", "T from {0}", "T от {0}"},
    {range_T_to, "range_T_to", "T up to {0}", "T до {0}"},
    {range_p_to, "range_p_to", "p up to {0:MPa}", "p до {0:MPa}"},

    {state_no_convergence, "state_no_convergence", "The state from ({0}) did not converge in 100 iterations.",
     "Расчёт состояния по ({0}) не сошёлся за 100 итераций."},
    {density_no_convergence, "density_no_convergence", "The density did not converge in 200 iterations.",
     "Расчёт плотности не сошёлся за 200 итераций."},
    {equilibrium_no_convergence, "equilibrium_no_convergence", "The phase equilibrium did not converge in 100 iterations.",
     "Расчёт фазового равновесия не сошёлся за 100 итераций."},
    {equilibrium_singular, "equilibrium_singular", "Singular Jacobian matrix in the phase equilibrium.",
     "Вырожденная матрица Якоби в расчёте фазового равновесия."},
    {equilibrium_trivial, "equilibrium_trivial", "The phase equilibrium found one phase twice, not two phases.",
     "Расчёт фазового равновесия нашёл одну фазу дважды, а не две фазы."},
    {envelope_not_traced, "envelope_not_traced", "The phase envelope of the mixture could not be traced.",
     "Не удалось построить фазовую огибающую смеси."},
    {outside_two_phase_range, "outside_two_phase_range",
     "The mixture has no bubble or dew point at {0}: its two-phase region spans {1} to {2}.",
     "У смеси нет точки начала кипения или конденсации при {0}: её двухфазная область лежит от {1} до {2}."},
    {mixture_no_derivatives, "mixture_no_derivatives", "{0} is a mixture: residual derivatives are given for pure fluids only.",
     "{0} — смесь: остаточные производные даются только для чистых веществ."},
    {not_a_mixture, "not_a_mixture", "{0} is not a mixture: it has saturation states, not bubble and dew points.",
     "{0} — не смесь: у неё есть состояния насыщения, а не точки начала кипения и конденсации."},
    {mass_fraction_invalid, "mass_fraction_invalid",
     "'{0}' in {1} is not a component and its mass fraction (NAME:FRACTION, above 0 and at most 1).",
     "'{0}' в {1} — не компонент с массовой долей (ИМЯ:ДОЛЯ, больше 0 и не больше 1)."},
    {mass_fractions_sum, "mass_fractions_sum", "The mass fractions of {0} add up to {1}, not 1.",
     "Массовые доли {0} в сумме дают {1}, а не 1."},
    {component_repeated, "component_repeated", "{0} appears twice in {1}.", "{0} встречается в {1} дважды."},
    {mixture_one_component, "mixture_one_component", "A mixture needs two components or more: {0}.",
     "Смеси нужны два компонента или больше: {0}."},
    {bubble_dew_no_convergence, "bubble_dew_no_convergence",
     "The temperature on the bubble or dew line did not converge in 100 iterations.",
     "Расчёт температуры на линии кипения или конденсации не сошёлся за 100 итераций."},
    // The program has always reported these three in English.
    {division_by_zero, "division_by_zero", "Division by zero", "Division by zero"},
    {overflow, "overflow", "Floating point overflow", "Floating point overflow"},
    {invalid_operation, "invalid_operation", "Invalid floating point operation", "Invalid floating point operation"},

    {file_missing, "file_missing", "File {0} not found.", "Файл {0} не найден!"},
    {file_syntax, "file_syntax", "Error reading file {0}. Check the file's syntax.",
     "При чтении файла {0} произошла ошибка. Проверьте синтаксис файла."},
    {file_io, "file_io", "Input/output error reading file {0}.", "При чтении файла {0} произошла ошибка ввода-вывода."},
    {file_value, "file_value", "Invalid value {0} = '{1}' in file {2}", "Недопустимое значение {0} = '{1}' в файле {2}"},
    {table_value, "table_value", "Invalid value {0} = '{1}' in file {2}, line {3}",
     "Недопустимое значение {0} = '{1}' в файле {2}, строка {3}"},
    {name_is_path, "name_is_path", "Invalid name '{0}': the name of a fluid or data file cannot be a path",
     "Недопустимое имя '{0}': имя вещества или файла данных не может быть путём"},
    {expansion_changed, "expansion_changed",
     "The saturation-line expansions in file {0} are changed or damaged: the file's checksum does not match; the "
     "program vantrel_sat_expansion (tools/sat_expansion.cpp) writes it anew.",
     "Разложения линии насыщения в файле {0} изменены или повреждены: контрольная сумма файла не совпадает; его "
     "пересоздаёт программа vantrel_sat_expansion (tools/sat_expansion.cpp)."},
    {expansion_other_equation, "expansion_other_equation",
     "The saturation-line expansions in file {0} were not made for the equation of state {1}: the checksum does not "
     "match.",
     "Разложения линии насыщения в файле {0} построены не для уравнения состояния {1}: контрольная сумма не "
     "совпадает."},
    {fluid_not_found, "fluid_not_found", "Fluid '{0}' not found in directory {1}.",
     "Вещество '{0}' не найдено в каталоге {1}!"},
    {fluid_not_found_closest, "fluid_not_found_closest", "Fluid '{0}' not found in directory {1}. Closest: {2}.",
     "Вещество '{0}' не найдено в каталоге {1}! Ближайшие: {2}."},
    {data_directory_missing, "data_directory_missing", "Data directory {0} not found.", "Каталог данных {0} не найден!"},
    {data_directory_named_missing, "data_directory_named_missing", "Data directory {0} ({1}) not found.",
     "Каталог данных {0} ({1}) не найден!"},
    {data_directory_unknown, "data_directory_unknown",
     "Data directory not found: give it with --data or in the variable VANTREL_DATA.",
     "Каталог данных не найден: задайте его параметром --data или переменной VANTREL_DATA."},
    {dome_not_computed, "dome_not_computed", "The saturation line of {0} cannot be computed.",
     "Линия насыщения {0} не рассчитывается."},
    {reference_unavailable, "reference_unavailable", "Reference state {0} is not available for {1}: it has no saturated liquid at {2}.",
     "Состояние отсчёта {0} недоступно для {1}: у него нет насыщенной жидкости при {2}."},
    {data_directory_env_missing, "data_directory_env_missing", "Data directory {0} named by VANTREL_DATA not found.",
     "Каталог данных {0}, заданный переменной VANTREL_DATA, не найден."},
    {data_directory_installed_missing, "data_directory_installed_missing", "Data directory {0} of the installed library not found: set VANTREL_DATA.",
     "Каталог данных {0} установленной библиотеки не найден: задайте переменную VANTREL_DATA."},
    {current_directory_unavailable, "current_directory_unavailable",
     "The current directory is not accessible: the fluids' data are looked for in its subdirectory data.",
     "Текущий каталог недоступен: данные веществ ищутся в его подкаталоге data."},
    {mixture_line, "mixture_line", "Invalid line {0} of file {1}: {2}.", "Недопустимая строка {0} файла {1}: {2}."},
    {mixture_pair_missing, "mixture_pair_missing", "No binary pair {0}/{1} in file {2}.",
     "Нет бинарной пары {0}/{1} в файле {2}."},
    {departure_kind, "departure_kind",
     "The departure function in file {0} has a term of kind {1} (line {2}): only the exponential kind 0 is known.",
     "Функция отклонения в файле {0} содержит член вида {1} (строка {2}): известен только экспоненциальный вид 0."},
    {blend_unknown, "blend_unknown", "Blend '{0}' not found in file {1}.", "Смесь '{0}' не найдена в файле {1}."},

    {cycle_value_not_finite, "cycle_value_not_finite", "Invalid value {0} = {1}: a finite number is needed.",
     "Недопустимое значение {0} = {1}: нужно конечное число."},
    {cycle_eta, "cycle_eta", "Invalid compressor efficiency eta = {0}: it must be above 0 and at most 1.",
     "Недопустимый КПД компрессора eta = {0}: он должен быть больше 0 и не больше 1."},
    {cycle_vol_eff, "cycle_vol_eff", "Invalid volumetric efficiency vol_eff = {0}: it must be above 0 and at most 1.",
     "Недопустимый коэффициент подачи vol_eff = {0}: он должен быть больше 0 и не больше 1."},
    {cycle_superheat_negative, "cycle_superheat_negative", "Invalid superheat {0}: it cannot be negative.",
     "Недопустимый перегрев {0}: он не может быть отрицательным."},
    {cycle_subcool_negative, "cycle_subcool_negative", "Invalid subcooling {0}: it cannot be negative.",
     "Недопустимое переохлаждение {0}: оно не может быть отрицательным."},
    {cycle_capacity, "cycle_capacity", "Invalid refrigerating capacity {0}: it must be above 0.",
     "Недопустимая холодопроизводительность {0}: она должна быть больше 0."},
    {cycle_evap_below_limit, "cycle_evap_below_limit",
     "The evaporating temperature {0} is below the lower limit of the equation of state, {1}.",
     "Температура кипения {0} ниже нижней границы уравнения состояния {1}."},
    {cycle_evap_not_below_critical, "cycle_evap_not_below_critical",
     "The evaporating temperature {0} is not below the critical temperature {1}.",
     "Температура кипения {0} не ниже критической {1}."},
    {cycle_high_side_missing, "cycle_high_side_missing",
     "Give either the condensing temperature, or the gas cooler outlet temperature and the high pressure.",
     "Задайте либо температуру конденсации, либо температуру на выходе из газоохладителя и высокое давление."},
    {cycle_evap_not_below_cond, "cycle_evap_not_below_cond",
     "The evaporating temperature {0} must be below the condensing temperature {1}.",
     "Температура кипения {0} должна быть ниже температуры конденсации {1}."},
    {cycle_cond_not_below_critical, "cycle_cond_not_below_critical",
     "The condensing temperature {0} is not below the critical temperature {1}: for a transcritical cycle give the "
     "gas cooler outlet temperature and the high pressure.",
     "Температура конденсации {0} не ниже критической {1}: для транскритического цикла задайте температуру на выходе "
     "из газоохладителя и высокое давление."},
    {cycle_high_not_above_critical, "cycle_high_not_above_critical",
     "The high pressure {0} is not above the critical pressure {1}: a transcritical cycle is impossible.",
     "Высокое давление {0} не выше критического {1}: транскритический цикл невозможен."},
    {cycle_gc_out_not_above_evap, "cycle_gc_out_not_above_evap",
     "The gas cooler outlet temperature {0} must be above the evaporating temperature {1}.",
     "Температура на выходе из газоохладителя {0} должна быть выше температуры кипения {1}."},
    {cycle_no_saturation, "cycle_no_saturation", "No saturation state at T = {0}.", "Нет состояния насыщения при T = {0}."},
    {cycle_no_bubble_dew, "cycle_no_bubble_dew", "No bubble and dew point at p = {0}.",
     "Нет точек начала кипения и росы при p = {0}."},
    {cycle_superheat_short, "cycle_superheat_short",
     "A superheat of {0} is not enough: by the equation of state the point at T = {1} and p = {2} is not gas.",
     "Перегрев {0} недостаточно: по уравнению состояния точка при T = {1} и p = {2} не газ."},
    {cycle_subcool_short, "cycle_subcool_short",
     "A subcooling of {0} is not enough: by the equation of state the point at T = {1} and p = {2} is not liquid.",
     "Переохлаждение {0} недостаточно: по уравнению состояния точка при T = {1} и p = {2} не жидкость."},
    {cycle_eta_work, "cycle_eta_work", "Invalid compressor efficiency eta = {0}: the compression work is not a finite number.",
     "Недопустимый КПД компрессора eta = {0}: работа сжатия не выражается конечным числом."},
    {cycle_dew_convention, "cycle_dew_convention",
     "evap and cond are dew-point temperatures; the superheat counts from the dew point at the evaporating "
     "pressure, the subcooling from the bubble point at the condensing pressure.",
     "Температуры evap и cond — температуры точки росы; перегрев отсчитан от точки росы при давлении кипения, "
     "переохлаждение — от точки начала кипения при давлении конденсации."},
    {cycle_midpoint_convention, "cycle_midpoint_convention",
     "evap is the mean of the evaporator's inlet and dew-point temperatures, cond the mean of the condenser's dew- "
     "and bubble-point temperatures; the superheat counts from the dew point at the evaporating pressure, the "
     "subcooling from the bubble point at the condensing pressure.",
     "Температура evap — среднее температур на входе в испаритель и точки росы, cond — среднее температур точки "
     "росы и начала кипения в конденсаторе; перегрев отсчитан от точки росы при давлении кипения, переохлаждение — "
     "от точки начала кипения при давлении конденсации."},
};

constexpr bool catalogue_in_order() {
    for (std::size_t i = 0; i < std::size(CATALOGUE); ++i)
        if (static_cast<std::size_t>(CATALOGUE[i].id) != i) return false;
    return true;
}
static_assert(catalogue_in_order(), "CATALOGUE is indexed by message_id");
static_assert(std::size(CATALOGUE) == static_cast<std::size_t>(cycle_midpoint_convention) + 1, "every message has a text");

const entry& entry_of(message_id id) { return CATALOGUE[static_cast<std::size_t>(id)]; }

// The library's own names of SI units: plain ASCII, as its messages have always written them.
std::string_view library_unit(quantity q) {
    switch (q) {
        case quantity::entropy: return "J/(kg K)";
        case quantity::density: return "kg/m3";
        case quantity::volume: return "m3/kg";
        default: return unit_of(q, unit_system::si).name;
    }
}

// Ten significant digits: as many as a value needs, without the noise of a
// conversion (263.15 K, not 263.14999999999998); no "-0".
std::string ten_digits(double v) {
    if (v == 0) v = 0;
    char buf[40];
    return std::string(buf, std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 10).ptr);
}

// A number with its unit, "300 K"; a fraction or a count without one.
// override_unit names the unit of the library's style ("MPa").
std::string number_text(const message_value& v, const message_style& style, bool with_unit,
                        std::string_view override_unit) {
    const double si = *v.number;
    if (!v.q) return style.units ? ten_digits(si) : detail::number_text(si);
    std::string text;
    std::string_view unit_name;
    if (style.units) {
        const unit& u = unit_of(*v.q, *style.units);
        text = ten_digits(from_si(u, si));
        unit_name = u.name;
    } else if (const unit* u = override_unit.empty() ? nullptr : find_unit(override_unit, *v.q)) {
        text = detail::number_text(from_si(*u, si));
        unit_name = u->name;
    } else {
        text = detail::number_text(si);
        unit_name = library_unit(*v.q);
    }
    if (with_unit && unit_name != "-") text.append(" ").append(unit_name);
    return text;
}

std::string value_text(const message_value& v, const message_style& style, bool with_unit,
                       std::string_view override_unit) {
    if (!v.nested.empty()) {
        std::string out;
        for (const message& m : v.nested) out += (out.empty() ? "" : ", ") + m.text(style);
        return out;
    }
    if (!v.number) return v.text;
    const std::string n = number_text(v, style, with_unit, override_unit);
    return v.text.empty() ? n : v.text + " = " + n;
}

}  // namespace

message_value text_value(std::string text) { return {std::move(text), std::nullopt, std::nullopt, {}}; }
message_value number_value(double si, std::optional<quantity> q) { return {"", si, q, {}}; }
message_value named_value(std::string name, double si, std::optional<quantity> q) {
    return {std::move(name), si, q, {}};
}
message_value nested_value(std::vector<message> parts) { return {"", std::nullopt, std::nullopt, std::move(parts)}; }

std::string_view message_key(message_id id) { return entry_of(id).key; }

std::string_view message_template(message_id id, language lang) {
    return lang == language::ru ? entry_of(id).ru : entry_of(id).en;
}

std::vector<message_id> message_ids() {
    std::vector<message_id> ids;
    for (const entry& e : CATALOGUE) ids.push_back(e.id);
    return ids;
}

// "{N}", "{N#}" and "{N:UNIT}" replaced by the values; a placeholder without
// its value is left as it is.
std::string format_message(std::string_view t, const std::vector<message_value>& values, message_style style) {
    std::string out;
    std::size_t i = 0;
    while (i < t.size()) {
        const std::size_t close = t[i] == '{' ? t.find('}', i) : std::string_view::npos;
        std::size_t n = 0;
        const auto [end, ec] = close == std::string_view::npos
                                   ? std::from_chars_result{nullptr, std::errc::invalid_argument}
                                   : std::from_chars(t.data() + i + 1, t.data() + close, n);
        if (ec != std::errc() || n >= values.size()) {
            out += t[i++];
            continue;
        }
        const std::string_view rest(end, t.data() + close - end);
        const bool bare = rest == "#";
        const std::string_view unit = rest.starts_with(':') ? rest.substr(1) : std::string_view();
        out += value_text(values[n], style, !bare, unit);
        i = close + 1;
    }
    return out;
}

std::string message::text(message_style style) const {
    return format_message(message_template(id, style.lang), values, style);
}

error::error(error_kind kind, vantrel::message m)
    : std::runtime_error(m.text({language::en, unit_system::si})), kind_(kind), message_(std::move(m)) {}

std::string error::message(language lang) const { return message_.text({lang, unit_system::si}); }

}  // namespace vantrel
