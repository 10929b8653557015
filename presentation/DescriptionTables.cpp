#include "presentation/DescriptionTables.h"

namespace kavrin {

void DescriptionTables::reset() {
    apis.clear();
    namedTypes.clear();
    taskStates.clear();
    nextInterruptSortKey = 0;
    loadedFiles.clear();
    applicationName.clear();
    operatingSystem.clear();
    core.clear();
    device.clear();
}

const ApiDescription* DescriptionTables::api(uint32_t id) const {
    auto found = apis.constFind(id);
    return found == apis.cend() ? nullptr : &*found;
}

const QString* DescriptionTables::namedTypeText(const QString& type, uint32_t value) const {
    auto values = namedTypes.constFind(type);
    if (values == namedTypes.cend())
        return nullptr;
    auto text = values->constFind(value);
    return text == values->cend() ? nullptr : &*text;
}

const QString* DescriptionTables::taskStateText(uint32_t value) const {
    auto found = taskStates.constFind(value & taskStateMask);
    return found == taskStates.cend() ? nullptr : &*found;
}

QString DescriptionTables::identityText() const {
    QString text = applicationName;
    if (!operatingSystem.isEmpty())
        text += QStringLiteral(" [") + operatingSystem + u']';
    if (!device.isEmpty())
        text += QStringLiteral(" on ") + device;
    return text;
}

} // namespace kavrin
