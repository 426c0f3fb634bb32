// SPDX-License-Identifier: MIT

#include "backends/qt/QtMenuService.h"

#include "backends/qt/QtScreen.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

// Menu places are screen pixels, as the main window's; Qt's own are scaled.
ScreenPoint QtMenuService::CursorPos() const {
    const QPoint p = QtScreen::ToDevice(QCursor::pos());
    return {p.x(), p.y()};
}

void QtMenuService::Fill(QMenu& target, const MenuLevel& level) {
    for (const MenuLevel::Entry& entry : level.Entries) {
        const QString caption = QString::fromStdString(entry.Caption);
        switch (entry.Type) {
        case MenuLevel::Kind::Separator:
            target.addSeparator();
            break;
        case MenuLevel::Kind::SubMenu:
            Fill(*target.addMenu(caption), *entry.Sub);
            break;
        case MenuLevel::Kind::Item:
        case MenuLevel::Kind::CheckedItem: {
            QAction* action = target.addAction(caption);
            action->setData(entry.Id);
            if (entry.Type == MenuLevel::Kind::CheckedItem) {
                action->setCheckable(true);
                action->setChecked(true);
            }
            break;
        }
        }
    }
}

std::int32_t QtMenuService::TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) {
    QMenu popup;
    popup.setObjectName("TarvikMenu");
    Fill(popup, menu);
    const QAction* chosen = popup.exec(QtScreen::ToLogical(QPoint(at.X, at.Y)));
    return chosen ? chosen->data().toInt() : 0;
}
