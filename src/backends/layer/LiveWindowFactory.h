// SPDX-License-Identifier: MIT
// Placeholder until the real one lands on this branch.
#pragma once
#include "backends/layer/WaylandClient.h"
#include "backends/qt/QtAboutBox.h"
#include "backends/qt/QtOptionsDialog.h"
#include "platform/IWindowFactory.h"
class StubTip : public ITipWindow {
  public:
    void MeasureText(const std::string&, double& w, double& h) const override {
        w = 1500;
        h = 600;
    }
    void SetText(const std::string&) override {}
    void SetGeometry(double, double, double, double) override {}
    void Show() override {}
    void Hide() override {}
    void HideAfter(int) override {}
    void Close() override {}
};
class LiveWindowFactory : public IWindowFactory {
  public:
    explicit LiveWindowFactory(WaylandClient&) {}
    std::unique_ptr<ITipWindow> CreateTipWindow() override { return std::make_unique<StubTip>(); }
    std::unique_ptr<ITipWindow> CreateNoticeWindow() override {
        return std::make_unique<StubTip>();
    }
    std::unique_ptr<IOptionsView> CreateOptionsView(IOptionsListener& l) override {
        return std::make_unique<QtOptionsDialog>(l, nullptr);
    }
    std::unique_ptr<IAboutView> CreateAboutView(IAboutListener& l) override {
        return std::make_unique<QtAboutBox>(l, nullptr);
    }
};
