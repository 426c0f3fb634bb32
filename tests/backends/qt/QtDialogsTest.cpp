// SPDX-License-Identifier: MIT

#include "backends/qt/QtDialogs.h"
#include "backends/qt/QtAboutBox.h"
#include "backends/qt/QtOptionsDialog.h"
#include "backends/qt/QtShell.h"
#include "fakes/FakePlatform.h"
#include "menus/frmAbout.h"
#include "settings/frmOption.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <tuple>

namespace {

// An options dialog over a plain settings record, as the main window would drive it.
struct OptionsRig {
    OptionsRig()
        : logic([this](bool toMain) { Exchange(toMain); }, dialogs), view(logic, nullptr) {}

    void Exchange(bool toMain) {
        if (toMain) {
            quality = logic.Controls.Slider1;
            prefix = logic.Controls.Text2;
            return;
        }
        logic.SetSlider(quality);
        logic.Text2_Change(prefix);
        logic.SetOptions(true);
    }

    FakeDialogs dialogs;
    int quality = 80;
    std::string prefix = "shot";
    frmOption logic;
    QtOptionsDialog view;
};

} // namespace

TEST(QtOptionsDialog, ControlsStandAtTheirPlacesWithTheirCaptions) {
    const QFont before = QApplication::font();
    QApplication::setFont(QFont("DejaVu Sans Condensed")); // as narrow as the layout's font
    OptionsRig rig;
    QApplication::setFont(before);
    QtOptionsDialog& v = rig.view;
    EXPECT_EQ(v.size(), QSize(489, 254));
    EXPECT_EQ(v.btnOk->geometry(), QRect(112, 216, 73, 25));
    EXPECT_EQ(v.btnApply->geometry(), QRect(216, 216, 73, 25));
    EXPECT_EQ(v.btnCancel->geometry(), QRect(320, 216, 73, 25));
    EXPECT_EQ(v.Frame1->geometry(), QRect(16, 16, 457, 81));
    EXPECT_EQ(v.Frame2->geometry(), QRect(16, 104, 457, 97));
    EXPECT_EQ(v.Slider1->geometry(), QRect(16, 16, 425, 25));
    EXPECT_EQ(v.Text1->geometry(), QRect(48, 24, 265, 21));
    EXPECT_EQ(v.Text2->geometry(), QRect(112, 64, 129, 21));
    EXPECT_EQ(v.btnBrowse->geometry(), QRect(320, 23, 57, 22));
    EXPECT_EQ(v.btnDefault->geometry(), QRect(384, 23, 57, 22));
    EXPECT_EQ(v.Command1->geometry(), QRect(248, 63, 57, 22));
    EXPECT_EQ(v.Frame1->title(), "JPEG Quality");
    EXPECT_EQ(v.Frame2->title(), "Quick Save");
    EXPECT_EQ(v.Frame3->title(), "View Mode");
    EXPECT_TRUE(v.Frame3->isHidden());
    EXPECT_EQ(v.Label1->text(), "Best Compression");
    EXPECT_EQ(v.Label2->text(), "Best Quality ");
    EXPECT_EQ(v.Label4->text(), "Path");
    EXPECT_EQ(v.Label5->text(), "Auto-name prefix");
    EXPECT_EQ(v.btnOk->text(), "&OK");
    EXPECT_EQ(v.btnDefault->text(), "&Default");
    EXPECT_EQ(v.Command1->text(), "&Default");
    EXPECT_EQ(v.Slider1->minimum(), 0);
    EXPECT_EQ(v.Slider1->maximum(), 100);
    EXPECT_EQ(v.Slider1->singleStep(), 1);
    EXPECT_EQ(v.Slider1->pageStep(), 5);
    EXPECT_TRUE(v.Text1->isReadOnly());
    for (QPushButton* b : {v.btnOk, v.btnApply, v.btnCancel})
        EXPECT_FALSE(b->isDefault());
}

TEST(QtOptionsDialog, TheQuickSaveLabelsLeaveTheirTextBoxesClearInAWideFont) {
    const QFont before = QApplication::font();
    QApplication::setFont(QFont("DejaVu Sans")); // wider than the layout's font
    OptionsRig rig;
    QApplication::setFont(before);
    QtOptionsDialog& v = rig.view;
    for (auto [label, box, button] :
         {std::tuple{v.Label4, v.Text1, v.btnBrowse}, std::tuple{v.Label5, v.Text2, v.Command1}}) {
        const std::string row = label->text().toStdString();
        EXPECT_GE(label->width(), label->sizeHint().width()) << row;
        EXPECT_GE(box->x() - (label->x() + label->width()), 4) << row;
        EXPECT_LT(box->geometry().right(), button->x()) << row;
        EXPECT_LE(button->geometry().right(), v.Frame2->width()) << row;
        EXPECT_GE(box->width(), 100) << row;
    }
    EXPECT_LT(v.btnBrowse->geometry().right(), v.btnDefault->x());
    EXPECT_LT(v.btnDefault->geometry().right(), v.Frame2->width());
}

TEST(QtOptionsDialog, ApplyIsEnabledExactlyWhileChanged) {
    OptionsRig rig;
    rig.logic.Form_Load(&rig.view);
    EXPECT_EQ(rig.view.Slider1->value(), 80);
    EXPECT_EQ(rig.view.Label3->text(), "80%");
    EXPECT_FALSE(rig.view.btnApply->isEnabled());
    rig.view.Slider1->setValue(65); // as a user's drag would
    EXPECT_EQ(rig.view.Label3->text(), "65%");
    EXPECT_TRUE(rig.view.btnApply->isEnabled());
    QTest::mouseClick(rig.view.btnApply, Qt::LeftButton);
    EXPECT_EQ(rig.quality, 65);
    EXPECT_FALSE(rig.view.btnApply->isEnabled());
    QTest::mouseClick(rig.view.Command1, Qt::LeftButton);
    EXPECT_TRUE(rig.view.btnApply->isEnabled());
    EXPECT_EQ(rig.view.Text2->text(), "tarvik_output");
}

TEST(QtOptionsDialog, EmptyPrefixMessageKeepsTheDialogOpen) {
    OptionsRig rig;
    rig.logic.Form_Load(&rig.view);
    QTimer::singleShot(0, [&] {
        rig.view.Text2->clear();
        QTest::keyClicks(rig.view.Text2, "");
        rig.logic.Text2_Change("");
        QTest::mouseClick(rig.view.btnOk, Qt::LeftButton);
        EXPECT_EQ(rig.dialogs.messages, std::vector<std::string>{"Prefix must not be empty"});
        EXPECT_TRUE(rig.view.isVisible());
        QTest::keyClick(&rig.view, Qt::Key_Escape); // no cancel button: stays open
        EXPECT_TRUE(rig.view.isVisible());
        QTest::mouseClick(rig.view.btnCancel, Qt::LeftButton);
    });
    rig.view.RunModal();
    EXPECT_FALSE(rig.view.isVisible());
    EXPECT_EQ(rig.prefix, "shot");
}

TEST(QtAboutBox, LinksOpenAndOtherClicksClose) {
    FakeShell shell;
    frmAbout logic(shell, BuildVersion);
    logic.Form_Load();
    QtAboutBox box(logic, nullptr);
    EXPECT_EQ(box.size(), QSize(382, 162));
    EXPECT_EQ(box.palette().color(QPalette::Window), QColor(192, 192, 255));
    QTimer::singleShot(0, [&] {
        EXPECT_EQ(box.windowTitle(), "About Tarvik");
        EXPECT_EQ(box.lblVersion->text().toStdString(), logic.Texts.Version);
        QTest::mouseClick(box.Label4, Qt::LeftButton);
        QTest::mouseClick(box.Label1, Qt::LeftButton);
        EXPECT_TRUE(box.isVisible());
        QTest::mouseClick(box.lblVersion, Qt::LeftButton);
    });
    logic.Show(box);
    EXPECT_FALSE(box.isVisible());
    ASSERT_EQ(shell.opened.size(), 2u);
    EXPECT_EQ(shell.opened[0], TARVIK_WEB_SITE "/tarvik/skins.htm");
    EXPECT_EQ(shell.opened[1].rfind("mailto:" TARVIK_MAIL_ADDRESS "?Subject=About Tarvik&Body=", 0),
              0u);
}

TEST(LiteralTexts, MessageBoxShowsAMarkupNameAsWrittenAndKeepsItsLineBreak) {
    QtDialogs dialogs;
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_TRUE(box);
        const QLabel* label = box->findChild<QLabel*>("qt_msgbox_label");
        ASSERT_TRUE(label);
        // The tags take room as characters, and the second line is a line of its own.
        const QFontMetrics metrics = label->fontMetrics();
        EXPECT_GE(label->sizeHint().width(), metrics.horizontalAdvance("<b>bold.inf</b> & more"));
        EXPECT_GE(label->sizeHint().height(), 2 * metrics.lineSpacing());
        box->accept();
    });
    dialogs.MessageBox("<b>bold.inf</b> & more\r\nSwitch to default skin");
}

namespace {

// What a stand-in opener, first on the path, is given while the action runs: its
// arguments, one a line.
std::string OpenerArguments(const std::function<void()>& action) {
    TempFolder folder;
    const std::string log = folder.Path() + "/opened";
    const std::string opener =
        folder.Write("bin/xdg-open", "#!/bin/sh\nprintf '%s\\n' \"$@\" >\"" + log +
                                         ".part\"\nmv \"" + log + ".part\" \"" + log + "\"\n");
    std::filesystem::permissions(opener, std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(folder.Path() + "/bin:") + path);
    action();
    qputenv("PATH", path);

    for (int i = 0; i < 200 && !std::filesystem::exists(log); ++i)
        QTest::qWait(50);
    std::ifstream in(log);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(QtShell, TheMailLinkReachesTheOpenerAsOneUnencodedText) {
    QtShell shell;
    frmAbout about(shell, BuildVersion);
    about.Form_Load();
    EXPECT_EQ(OpenerArguments([&] { about.Label1_Click(); }),
              "mailto:" TARVIK_MAIL_ADDRESS "?Subject=About Tarvik&Body=Questions, suggestions or "
              "submission of DIY skins.\n");
}

TEST(QtShell, ARelativeFolderReachesTheOpenerAsAFileUrlNotAnOption) {
    // A relative auto-save path "-x": the folder of a notification's Open Folder action.
    TempFolder work;
    std::filesystem::create_directory(work.Path() + "/-x");
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(work.Path());
    QtShell shell;
    const std::string opened = OpenerArguments([&] { shell.Open("-x"); });
    std::filesystem::current_path(before);
    EXPECT_EQ(opened, "file://" + std::filesystem::canonical(work.Path()).string() + "/-x\n");
}
