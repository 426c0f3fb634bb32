#include "backends/wayland/WaylandWindowFactory.h"

#include "backends/qt/QtAboutBox.h"
#include "backends/qt/QtOptionsDialog.h"
#include "backends/qt/QtTipWindow.h"
#include "backends/wayland/WaylandMainWindow.h"

std::unique_ptr<ITipWindow> WaylandWindowFactory::CreateTipWindow() {
    auto tip = std::make_unique<QtTipWindow>(screen_);
    tip->setParent(&window_.Owner(), Qt::Widget);
    return tip;
}

std::unique_ptr<IOptionsView> WaylandWindowFactory::CreateOptionsView(frmOption& logic) {
    return std::make_unique<QtOptionsDialog>(logic, &window_.Owner());
}

std::unique_ptr<IAboutView> WaylandWindowFactory::CreateAboutView(frmAbout& logic) {
    return std::make_unique<QtAboutBox>(logic, &window_.Owner());
}
