#include "views/ZoomMenu.h"

#include "views/TimelineState.h"

#include <QActionGroup>
#include <QMenu>

namespace kavrin {

QMenu* addZoomMenu(QMenu* parent, TimelineState& state) {
    QMenu* menu = parent->addMenu(QStringLiteral("&Zoom"));
    menu->addAction(QStringLiteral("Zoom &In"), &state, &TimelineState::zoomIn);
    menu->addAction(QStringLiteral("Zoom &Out"), &state, &TimelineState::zoomOut);
    menu->addSeparator();
    auto* group = new QActionGroup(menu);
    for (int row = 0; row < ZoomLevelCount; ++row) {
        QAction* action = menu->addAction(QString::fromLatin1(ZoomLevels[size_t(row)].label),
                                          &state, [&state, row] { state.setZoomRow(row); });
        action->setCheckable(true);
        action->setChecked(row == state.options().zoomRow);
        group->addAction(action);
    }
    return menu;
}

} // namespace kavrin
