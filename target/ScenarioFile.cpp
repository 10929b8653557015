#include "target/ScenarioFile.h"

#include <filesystem>

namespace kavrin {

namespace {

constexpr std::string_view TaskPrefix = "Task ";
constexpr std::string_view InterruptPrefix = "Interrupt ";

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           equalsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Reads the numeric keys of one section into the fields they name.
class NumberReader {
public:
    NumberReader(const IniFile& ini, std::string section, std::string& error)
        : ini_(ini), section_(std::move(section)), error_(error) {}

    bool read(std::string_view key, uint32_t& field) {
        const auto text = ini_.value(section_, key);
        if (!text)
            return true;
        const auto number = parseNumber(*text);
        if (!number) {
            error_ =
                "[" + section_ + "] " + std::string(key) + ": \"" + *text + "\" is not a number";
            return false;
        }
        field = *number;
        return true;
    }

private:
    const IniFile& ini_;
    std::string section_;
    std::string& error_;
};

bool readScenarioSection(const IniFile& ini, Scenario& out, std::string& error) {
    const std::string base = ini.value("Scenario", "Base").value_or("control");
    if (!builtInScenario(base, out)) {
        error = "[Scenario] Base: unknown scenario \"" + base + "\"";
        return false;
    }
    out.application = ini.value("Scenario", "Application").value_or(out.application);
    out.device = ini.value("Scenario", "Device").value_or(out.device);
    uint32_t module = out.withModule ? 1 : 0;
    NumberReader numbers(ini, "Scenario", error);
    if (!numbers.read("TimestampFrequency", out.timestampFrequency) ||
        !numbers.read("CpuFrequency", out.cpuFrequency) ||
        !numbers.read("MaxNesting", out.maxNesting) ||
        !numbers.read("OverflowEvery", out.overflowEvery) ||
        !numbers.read("OverflowBurst", out.overflowBurst) || !numbers.read("Module", module))
        return false;
    out.withModule = module != 0;
    if (out.timestampFrequency == 0) {
        error = "[Scenario] TimestampFrequency must not be 0";
        return false;
    }
    return true;
}

bool readTask(const IniFile& ini, const std::string& section, Scenario& out, std::string& error) {
    TaskConfig task;
    task.name = section.substr(TaskPrefix.size());
    uint32_t work = 100;
    NumberReader numbers(ini, section, error);
    if (!numbers.read("Priority", task.priority) || !numbers.read("Period", task.periodMicros) ||
        !numbers.read("Work", work))
        return false;
    if (task.periodMicros == 0) {
        error = "[" + section + "] Period must not be 0";
        return false;
    }
    task.job = {Action{.kind = Action::Work, .micros = work}};
    out.tasks.push_back(std::move(task));
    return true;
}

bool readInterrupt(const IniFile& ini, const std::string& section, Scenario& out,
                   std::string& error) {
    InterruptConfig irq;
    const auto number = parseNumber(section.substr(InterruptPrefix.size()));
    if (!number) {
        error = "[" + section + "]: the interrupt number is not a number";
        return false;
    }
    irq.number = *number;
    irq.name = ini.value(section, "Name").value_or("IRQ" + std::to_string(*number));
    NumberReader numbers(ini, section, error);
    if (!numbers.read("Period", irq.periodMicros) || !numbers.read("Work", irq.workMicros) ||
        !numbers.read("Priority", irq.priority))
        return false;
    if (irq.periodMicros == 0) {
        error = "[" + section + "] Period must not be 0";
        return false;
    }
    out.interrupts.push_back(std::move(irq));
    return true;
}

} // namespace

bool scenarioFromIni(const IniFile& ini, Scenario& out, std::string& error) {
    if (!readScenarioSection(ini, out, error))
        return false;
    for (const std::string& section : ini.sections()) {
        if (startsWithIgnoringCase(section, TaskPrefix)) {
            if (!readTask(ini, section, out, error))
                return false;
        } else if (startsWithIgnoringCase(section, InterruptPrefix)) {
            if (!readInterrupt(ini, section, out, error))
                return false;
        }
    }
    return true;
}

bool loadScenario(const std::string& nameOrPath, Scenario& out, std::string& error) {
    if (builtInScenario(nameOrPath, out))
        return true;
    if (!std::filesystem::is_regular_file(nameOrPath)) {
        std::string names;
        for (std::string_view name : builtInScenarioNames())
            names += (names.empty() ? "" : ", ") + std::string(name);
        error = "\"" + nameOrPath + "\" is neither a scenario (" + names + ") nor a scenario file";
        return false;
    }
    IniFile ini;
    if (!ini.load(nameOrPath, error))
        return false;
    if (!scenarioFromIni(ini, out, error))
        return false;
    out.name = nameOrPath;
    return true;
}

} // namespace kavrin
