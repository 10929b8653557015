#include "presentation/models/IconSet.h"

#include <QPixmap>

namespace kavrin {

IconSet::IconSet(void (*registerResources)(), const char* folder,
                 std::span<const char* const> names)
    : registerResources_(registerResources), folder_(folder), names_(names), icons_(names.size()) {}

void IconSet::decode() {
    std::call_once(decoded_, [this] {
        registerResources_();
        images_.reserve(names_.size());
        for (const char* name : names_)
            images_.emplace_back(QLatin1String(folder_) + QLatin1String(name) +
                                 QStringLiteral(".png"));
    });
}

const QIcon& IconSet::icon(size_t which) {
    QIcon& icon = icons_[which];
    if (icon.isNull()) {
        decode();
        icon = QIcon(QPixmap::fromImage(images_[which]));
    }
    return icon;
}

} // namespace kavrin
