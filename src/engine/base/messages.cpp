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
    {mixture_states_unavailable, "mixture_states_unavailable",
     "The states of the mixture {0} are not computed from (h, s): give (p, h) or (p, s).",
     "Состояния смеси {0} не рассчитываются по (h, s): задайте (p, h) или (p, s)."},
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

    {invalid_number, "invalid_number", "Invalid number '{0}' in {1}.", "Недопустимое число '{0}' в {1}."},
    {value_beyond_double, "value_beyond_double", "The value {0} = {1} in SI units is beyond the range of double.",
     "Значение {0} = {1} в единицах СИ выходит за пределы чисел double."},
    {unknown_key, "unknown_key", "Unknown quantity '{0}': valid are {1}.", "Неизвестная величина '{0}': допустимы {1}."},
    {key_twice, "key_twice", "{0} is given twice.", "Величина {0} задана дважды."},
    {pair_not_supported, "pair_not_supported", "The pair ({0}, {1}) is not supported: valid are {2}.",
     "Пара ({0}, {1}) не поддерживается: допустимы {2}."},
    {extra_fluid, "extra_fluid", "Extra argument '{0}': the fluid is given already ({1}).",
     "Лишний аргумент '{0}': вещество уже задано ({1})."},
    {unknown_units, "unknown_units", "Invalid unit system '{0}': valid are {1}.",
     "Недопустимая система единиц '{0}': допустимы {1}."},
    {unknown_format, "unknown_format", "Invalid format '{0}': valid are {1}.", "Недопустимый формат '{0}': допустимы {1}."},
    {unknown_reference, "unknown_reference", "Unknown reference state '{0}': use {1}.",
     "Неизвестное состояние отсчёта '{0}': допустимы {1}."},
    {unknown_property, "unknown_property", "Unknown property '{0}': valid are {1}.",
     "Неизвестное свойство '{0}': допустимы {1}."},
    {unknown_mode, "unknown_mode", "Unknown mode '{0}': did you mean {1}?", "Неизвестный режим '{0}': может быть, {1}?"},
    {extra_argument, "extra_argument", "Extra argument '{0}'.", "Лишний аргумент '{0}'."},
    {extra_argument_or_option, "extra_argument_or_option", "Extra argument or unknown option: {0}.",
     "Лишний аргумент или неизвестный параметр: {0}."},
    {option_twice, "option_twice", "Option {0} is given more than once.", "Параметр {0} задан больше одного раза."},
    {option_without_value, "option_without_value", "Option {0} has no value.", "Параметру {0} не задано значение."},
    {invalid_command_line, "invalid_command_line", "Invalid command line: {0}", "Недопустимая командная строка: {0}"},
    {value_without_unit, "value_without_unit", "{0}: {1} takes a number without a unit.",
     "{0}: {1} задаётся числом без единицы."},
    {unit_of_other_quantity, "unit_of_other_quantity", "Unit '{0}' in {1} is a unit of {2}, not of {3}: use {4}.",
     "Единица '{0}' в {1} — единица величины «{2}», а не «{3}»: допустимы {4}."},
    {unknown_unit, "unknown_unit", "Unknown unit '{0}' in {1}: use {2}.",
     "Неизвестная единица '{0}' в {1}: допустимы {2}."},
    {quantity_fraction, "quantity_fraction", "fraction",
     "доля"},
    {quantity_temperature, "quantity_temperature", "temperature",
     "температура"},
    {quantity_temperature_difference, "quantity_temperature_difference", "temperature difference",
     "разность температур"},
    {quantity_pressure, "quantity_pressure", "pressure",
     "давление"},
    {quantity_energy, "quantity_energy", "specific energy",
     "удельная энергия"},
    {quantity_entropy, "quantity_entropy", "specific entropy",
     "удельная энтропия"},
    {quantity_density, "quantity_density", "density",
     "плотность"},
    {quantity_volume, "quantity_volume", "specific volume",
     "удельный объём"},
    {quantity_speed, "quantity_speed", "speed",
     "скорость"},
    {quantity_jt, "quantity_jt", "Joule-Thomson coefficient",
     "коэффициент Джоуля–Томсона"},
    {quantity_volumetric, "quantity_volumetric", "energy per volume",
     "энергия на единицу объёма"},
    {quantity_power, "quantity_power", "power",
     "мощность"},
    {quantity_mass_flow, "quantity_mass_flow", "mass flow",
     "массовый расход"},
    {quantity_volume_flow, "quantity_volume_flow", "volume flow",
     "объёмный расход"},
    {sat_range_units, "sat_range_units", "{0}: give FROM, TO and STEP in one unit.",
     "{0}: задайте FROM, TO и STEP в одной единице."},
    {csv_delimiter_length, "csv_delimiter_length", "--csv-delimiter takes one character, or tab: '{0}'.",
     "Параметр --csv-delimiter — один символ или tab: '{0}'."},
    {csv_delimiter_number, "csv_delimiter_number", "--csv-delimiter '{0}' cannot separate numbers: choose another character, such as ';' or tab.",
     "Символ '{0}' в --csv-delimiter не может разделять числа: выберите другой, например ';' или tab."},
    {csv_decimal_comma, "csv_decimal_comma", "--decimal-comma needs a delimiter other than ',': give --csv-delimiter ';' or leave it out.",
     "Для --decimal-comma нужен разделитель, отличный от ',': задайте --csv-delimiter ';' или не задавайте его."},
    {csv_options_format, "csv_options_format", "--csv-delimiter, --decimal-comma and --csv-units apply to CSV output: add --format csv.",
     "Параметры --csv-delimiter, --decimal-comma и --csv-units относятся к выводу CSV: добавьте --format csv."},
    {lines_skipped, "lines_skipped", "Input lines skipped: {0} ({1}).",
     "Пропущено строк ввода: {0} ({1})."},
    {skipped_header, "skipped_header", "header: {0}",
     "заголовок: {0}"},
    {skipped_blank, "skipped_blank", "blank: {0}",
     "пустых: {0}"},
    {skipped_comment, "skipped_comment", "comment: {0}",
     "комментариев: {0}"},
    {see_help, "see_help", "More: {0}", "Подробнее: {0}"},
    {state_needs_two, "state_needs_two", "Exactly two values of a state are needed, e.g. T=20 p=5; given: {0}.",
     "Нужны ровно две величины состояния, например T=20 p=5; задано {0}."},
    {batch_threads, "batch_threads", "Invalid number of threads '{0}': from 1 to 256.",
     "Недопустимое число потоков '{0}': от 1 до 256."},
    {batch_in_keys, "batch_in_keys", "Option --in: two keys separated by a comma are needed, e.g. --in T,p.",
     "Параметр --in: нужны два ключа через запятую, например --in T,p."},
    {batch_in_missing, "batch_in_missing", "Option --in is missing: the keys of the two input columns, e.g. --in T,p.",
     "Не задан параметр --in: ключи двух входных столбцов, например --in T,p."},
    {batch_extra_argument, "batch_extra_argument", "Extra argument '{0}': expected [FLUID] [FILE|-].",
     "Лишний аргумент '{0}': ожидаются [FLUID] [FILE|-]."},
    {batch_binary_file, "batch_binary_file", "File {0} is binary: a zero byte in line {1}.",
     "Файл {0} двоичный: в строке {1} нулевой байт."},
    {batch_binary_input, "batch_binary_input", "Standard input is binary: a zero byte in line {0}.",
     "Стандартный ввод двоичный: в строке {0} нулевой байт."},
    {batch_rows, "batch_rows", "{0} lines", "{0} строк"},
    {field_too_long, "field_too_long", "The field in line {0} is longer than {1} bytes ({2} bytes): '{3}'.",
     "Поле в строке {0} длиннее {1} байт ({2} байт): '{3}'."},
    {line_too_long, "line_too_long", "Line {0} is longer than {1} bytes ({2} bytes): '{3}'.",
     "Строка {0} длиннее {1} байт ({2} байт): '{3}'."},
    {fields_count, "fields_count", "A line must hold two numbers separated by '{0}'; this one has {1} fields.",
     "В строке должно быть два числа через '{0}', а полей в ней {1}."},
    {field_not_number, "field_not_number", "Invalid number '{0}'.", "Недопустимое число '{0}'."},
    {cycle_unknown_key, "cycle_unknown_key",
     "Unknown cycle parameter '{0}': valid are evap, cond, gc_out, high, superheat, subcool, eta, vol_eff, capacity.",
     "Неизвестный параметр цикла '{0}': допустимы evap, cond, gc_out, high, superheat, subcool, eta, vol_eff, capacity."},
    {cycle_key_twice, "cycle_key_twice", "Cycle parameter {0} is given twice.", "Параметр цикла {0} задан дважды."},
    {cycle_evap_missing, "cycle_evap_missing", "The evaporating temperature evap is missing.",
     "Не задана температура кипения evap."},
    {cycle_high_side_choice, "cycle_high_side_choice",
     "Give cond=T for a subcritical cycle, or gc_out=T and high=p for a transcritical one.",
     "Задайте cond=T для докритического цикла или gc_out=T и high=p для транскритического."},
    {cycle_subcool_transcritical, "cycle_subcool_transcritical",
     "Subcooling (subcool) does not apply to a transcritical cycle: give gc_out.",
     "Переохлаждение subcool не применяется к транскритическому циклу: задайте gc_out."},
    {range_format, "range_format", "Option {0}: give LO:HI.", "Параметр {0}: задайте LO:HI."},
    {range_order, "range_order", "Option {0}: LO must be less than HI.", "Параметр {0}: LO должно быть меньше HI."},
    {range_width_beyond_double, "range_width_beyond_double", "Option {0}: the width of the range {1} is beyond the range of double.",
     "Параметр {0}: ширина диапазона {1} выходит за пределы чисел double."},
    {range_too_narrow, "range_too_narrow",
     "Option {0}: the range {1} is too narrow; its width must be at least 1e-6 of its largest limit in magnitude.",
     "Параметр {0}: диапазон {1} слишком узок, его ширина должна быть не меньше 1e-6 наибольшего по модулю предела."},
    {range_pressure_positive, "range_pressure_positive", "Option --p-range: the pressure must be above 0.",
     "Параметр --p-range: давление должно быть больше 0."},
    {picture_name, "picture_name", "Invalid picture file name '{0}': valid extensions are .svg, .png, .pdf (.json: the figure as data).",
     "Недопустимое имя файла рисунка '{0}': допустимы расширения .svg, .png, .pdf (.json: рисунок как данные)."},
    {picture_scale, "picture_scale", "Option --scale: expected a number from 1 to 4, got '{0}'.",
     "Параметр --scale: ожидается число от 1 до 4, задано '{0}'."},
    {picture_missing, "picture_missing", "The picture file is missing: -o FILE.svg|png|pdf.",
     "Не задан файл рисунка: -o FILE.svg|png|pdf."},
    {cycle_token, "cycle_token", "Option --cycle: KEY=VALUE expected, not '{0}'.",
     "Параметр --cycle: ожидается KEY=VALUE, а не '{0}'."},
    {cycle_convention, "cycle_convention", "Option --convention: dew or midpoint, not '{0}'.",
     "Параметр --convention: dew или midpoint, а не '{0}'."},
    {sat_range_format, "sat_range_format", "Give {0}=FROM:TO:STEP or {0}=VALUE.", "Задайте {0}=FROM:TO:STEP или {0}=VALUE."},
    {sat_step, "sat_step", "The table's step must be above 0: {0}.", "Шаг таблицы должен быть больше 0: {0}."},
    {sat_range_order, "sat_range_order", "The table's start is beyond its end: {0}.", "Начало таблицы больше её конца: {0}."},
    {sat_too_many, "sat_too_many", "Too many points in the table {0}: at most 100000.",
     "Слишком много точек в таблице {0}: не более 100000."},
    {sat_one_value, "sat_one_value", "Give one value: T=FROM:TO:STEP, p=FROM:TO:STEP, T=VALUE or p=VALUE.",
     "Задайте одну величину: T=FROM:TO:STEP, p=FROM:TO:STEP, T=VALUE или p=VALUE."},
    {sat_no_state, "sat_no_state",
     "No saturation state at {0}: saturation exists from the triple point to the critical point ({1} from {2#} to "
     "{3}); the values of such rows are empty.",
     "Состояния насыщения при {0} нет: оно рассчитывается от тройной точки до критической ({1} от {2#} до {3}); "
     "значения в таких строках пусты."},
    {sat_no_bubble_dew, "sat_no_bubble_dew",
     "No bubble or dew point at {0}: a mixture's bubble points are computed for {1} from {2#} to {3} and its dew "
     "points from {4#} to {5}, short of the critical point; the cells of the missing points are empty.",
     "Точки начала кипения или конденсации при {0} нет: у смеси точки начала кипения рассчитываются при {1} от {2#} "
     "до {3}, точки конденсации — от {4#} до {5}, не доходя до критической точки; ячейки недостающих точек пусты."},
    {write_failed, "write_failed", "Could not write {0}: {1}", "Не удалось записать {0}: {1}"},
    {unknown_write_error, "unknown_write_error", "unknown error", "неизвестная ошибка"},
    {standard_output, "standard_output", "standard output", "стандартный вывод"},
    {file_named, "file_named", "file {0}", "файл {0}"},
    {out_of_memory, "out_of_memory", "Out of memory.", "Недостаточно памяти."},
    {filesystem_error, "filesystem_error", "File system error: {0}.", "Ошибка файловой системы: {0}."},
    {system_error, "system_error", "System error: {0}.", "Системная ошибка: {0}."},
    {json_internal, "json_internal", "Internal error of the program writing JSON.",
     "Внутренняя ошибка программы при записи JSON."},
    {internal_error, "internal_error", "Internal error of the program.", "Внутренняя ошибка программы."},
    {plot_missing, "plot_missing",
     "The drawing program vantrel_plot was found neither beside vantrel_cli nor in ../libexec/vantrel.",
     "Программа рисования vantrel_plot не найдена ни рядом с vantrel_cli, ни в ../libexec/vantrel."},
    {picture_not_replaced, "picture_not_replaced", "The picture file {0} is not replaced: in its place is {1}.",
     "Файл рисунка {0} не заменяется: на его месте {1}."},
    {kind_directory, "kind_directory", "a directory", "каталог"},
    {kind_device, "kind_device", "a device", "устройство"},
    {kind_not_regular, "kind_not_regular", "no regular file", "не обычный файл"},
    {plot_start_failed, "plot_start_failed", "Could not start {0}: {1}", "Не удалось запустить {0}: {1}"},
    {plot_wait_failed, "plot_wait_failed", "Could not wait for vantrel_plot: {0}", "Не удалось дождаться vantrel_plot: {0}"},
    {plot_not_drawn_time, "plot_not_drawn_time", "Picture {0} not drawn: vantrel_plot did not finish it in {1} s and was stopped.",
     "Рисунок {0} не построен: vantrel_plot не закончил его за {1} с и остановлен."},
    {plot_not_drawn_cpu, "plot_not_drawn_cpu", "Picture {0} not drawn: vantrel_plot exceeded the processor time limit of {1} s.",
     "Рисунок {0} не построен: vantrel_plot превысил предел процессорного времени {1} с."},
    {plot_not_drawn_signal, "plot_not_drawn_signal", "Picture {0} not drawn: vantrel_plot ended by signal {1} ({2}).",
     "Рисунок {0} не построен: vantrel_plot завершился по сигналу {1} ({2})."},
    {plot_not_drawn_code, "plot_not_drawn_code", "Picture {0} not drawn: vantrel_plot exited with code {1}.",
     "Рисунок {0} не построен: vantrel_plot завершился с кодом {1}."},
    {plot_not_drawn_partial, "plot_not_drawn_partial", "Picture {0} not drawn: vantrel_plot did not read the whole figure.",
     "Рисунок {0} не построен: vantrel_plot прочитал не всё описание рисунка."},
    // The drawing program's own line, as it wrote it.
    {plot_says, "plot_says", "{0}", "{0}"},

    {figure_invalid, "figure_invalid", "Invalid figure: {0}: {1}.",
     "Недопустимое описание рисунка: {0}: {1}."},
    {figure_axes, "figure_axes", "Invalid axis limits of the figure: x from {0} to {1}, y from {2} to {3}.",
     "Недопустимые пределы осей рисунка: x от {0} до {1}, y от {2} до {3}."},
    {figure_too_large, "figure_too_large", "Invalid figure: more than {0} bytes.",
     "Недопустимое описание рисунка: больше {0} байт."},
    {figure_too_deep, "figure_too_deep", "Invalid figure: nested deeper than {0} levels.",
     "Недопустимое описание рисунка: вложенность глубже {0} уровней."},
    {figure_broken, "figure_broken", "Invalid figure: the JSON is damaged or cut short (byte {0}).",
     "Недопустимое описание рисунка: JSON повреждён или оборван (байт {0})."},
    {figure_number_range, "figure_number_range", "Invalid figure: a number beyond the range of double.",
     "Недопустимое описание рисунка: число за пределами чисел double."},
    {figure_unreadable, "figure_unreadable", "Invalid figure: the JSON cannot be read.",
     "Недопустимое описание рисунка: JSON не читается."},
    {figure_read_failed, "figure_read_failed", "Could not read the figure: {0}.",
     "Не удалось прочитать описание рисунка: {0}."},
    {figure_memory, "figure_memory", "Out of memory for the picture.",
     "Недостаточно памяти для рисунка."},
    {figure_internal, "figure_internal", "Picture not drawn: internal error of vantrel_plot.",
     "Рисунок не построен: внутренняя ошибка vantrel_plot."},
    {expect_figure, "expect_figure", "the figure",
     "рисунок"},
    {expect_points_total, "expect_points_total", "at most {0} points in all curves",
     "не более {0} точек во всех кривых"},
    {expect_size, "expect_size", "expected a number above 0 and at most 5",
     "ожидается число больше 0 и не больше 5"},
    {expect_boolean, "expect_boolean", "expected true or false",
     "ожидается true или false"},
    {expect_fraction, "expect_fraction", "expected a number from 0 to 1",
     "ожидается число от 0 до 1"},
    {expect_object, "expect_object", "expected an object",
     "ожидается объект"},
    {expect_field, "expect_field", "no such field",
     "нет такого поля"},
    {expect_array, "expect_array", "expected an array",
     "ожидается массив"},
    {expect_elements, "expect_elements", "at most {0} elements",
     "не более {0} элементов"},
    {expect_number, "expect_number", "expected a finite number",
     "ожидается конечное число"},
    {expect_text, "expect_text", "expected a text",
     "ожидается текст"},
    {expect_text_length, "expect_text_length", "a text of at most {0} bytes",
     "текст не длиннее {0} байт"},
    {expect_point, "expect_point", "expected a pair of finite numbers [x, y], y above 0",
     "ожидается пара конечных чисел [x, y], y больше 0"},
    {expect_color, "expect_color", "expected a colour #rrggbb",
     "ожидается цвет #rrggbb"},
    {expect_width, "expect_width", "expected a number above 0 and at most 20",
     "ожидается число больше 0 и не больше 20"},
    {expect_dashes, "expect_dashes", "expected a whole number from 1 to 8",
     "ожидается целое число от 1 до 8"},
};

constexpr bool catalogue_in_order() {
    for (std::size_t i = 0; i < std::size(CATALOGUE); ++i)
        if (static_cast<std::size_t>(CATALOGUE[i].id) != i) return false;
    return true;
}
static_assert(catalogue_in_order(), "CATALOGUE is indexed by message_id");
static_assert(std::size(CATALOGUE) == static_cast<std::size_t>(expect_dashes) + 1, "every message has a text");

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
std::string message::text(message_style style) const {
    const std::string_view t = message_template(id, style.lang);
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

error::error(error_kind kind, vantrel::message m)
    : std::runtime_error(m.text({language::en, unit_system::si})), kind_(kind), message_(std::move(m)) {}

std::string error::message(language lang) const { return message_.text({lang, unit_system::si}); }

}  // namespace vantrel
