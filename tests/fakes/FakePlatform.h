// SPDX-License-Identifier: MIT

#pragma once

#include "platform/IClipboard.h"
#include "platform/IDialogs.h"
#include "platform/IMainWindow.h"
#include "platform/IMenuService.h"
#include "platform/IPictureCodec.h"
#include "platform/IScreen.h"
#include "platform/IShell.h"
#include "platform/IWindowFactory.h"
#include "settings/modRegistry.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

// Records what the logic asked of the main window.
class FakeMainWindow : public IMainWindow {
  public:
    void SetListener(IMainWindowListener* l) override { listener = l; }
    double Left() const override { return left; }
    double Top() const override { return top; }
    double Width() const override { return width; }
    double Height() const override { return height; }
    void Move(double l, double t) override {
        left = l;
        top = t;
        calls.push_back("Move");
    }
    void Resize(double w, double h) override {
        width = w;
        height = h;
        calls.push_back("Resize");
    }
    void SetPicture(const Picture& p) override {
        picture = p;
        calls.push_back("SetPicture");
    }
    void SetRegion(const Region& r) override {
        region = r;
        calls.push_back("SetRegion");
    }
    void SetPointer(PointerShape s) override { pointer = s; }
    void SetButtons(const std::vector<AccessibleButton>& b) override { buttons = b; }
    void Show() override {
        visible = true;
        calls.push_back("Show");
    }
    void Hide() override {
        visible = false;
        calls.push_back("Hide");
    }
    void Close() override { calls.push_back("Close"); }
    void Later(std::function<void()> task) override { later.push_back(std::move(task)); }
    // The event loop's turn: what was left for later runs.
    void RunLater() {
        while (!later.empty()) {
            auto task = std::move(later.front());
            later.erase(later.begin());
            task();
        }
    }

    IMainWindowListener* listener = nullptr;
    double left = 0, top = 0, width = 0, height = 0;
    Picture picture;
    Region region;
    PointerShape pointer = PointerShape::Default;
    std::vector<AccessibleButton> buttons;
    bool visible = false;
    std::vector<std::string> calls;
    std::vector<std::function<void()>> later;
};

class FakeScreen : public IScreen {
  public:
    double TwipsPerPixelX() const override { return tppX; }
    double TwipsPerPixelY() const override { return tppY; }
    ScreenArea PrimaryScreen() const override {
        return {primary.X * tppX, primary.Y * tppY, primary.Width * tppX, primary.Height * tppY};
    }
    // The work area of the screen in workAreas (pixels) the rectangle overlaps most; none:
    // the primary screen.
    ScreenArea WorkAreaOf(const ScreenArea& rect) const override {
        const RegionRect* best = nullptr;
        double most = 0;
        for (const RegionRect& w : workAreas) {
            const double across = std::min(rect.Left + rect.Width, (w.X + w.Width) * tppX) -
                                  std::max(rect.Left, w.X * tppX);
            const double down = std::min(rect.Top + rect.Height, (w.Y + w.Height) * tppY) -
                                std::max(rect.Top, w.Y * tppY);
            if (across > 0 && down > 0 && across * down > most) {
                most = across * down;
                best = &w;
            }
        }
        if (!best)
            return PrimaryScreen();
        return {best->X * tppX, best->Y * tppY, best->Width * tppX, best->Height * tppY};
    }
    // The desktop is a pattern: pixel (x, y) has red x & 255 and green y & 255.
    Picture Grab(int left, int top, int width, int height) override {
        grabs.push_back({left, top, width, height});
        auto image = std::make_shared<Image>(width, height);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                image->At(x, y) = Rgb((left + x) & 255, (top + y) & 255, 0x40);
        return image;
    }
    double tppX = 15, tppY = 15;
    RegionRect primary{0, 0, 1024, 768}; // in pixels
    std::vector<RegionRect> workAreas;
    std::vector<RegionRect> grabs;
};

// Serves pictures by path; anything unknown fails to decode.
class FakeCodec : public IPictureCodec {
  public:
    Picture LoadPicture(const std::string& path) override {
        loaded.push_back(path);
        // Either separator leads to the same file, as on Windows.
        const auto slashes = [](std::string p) {
            std::replace(p.begin(), p.end(), '\\', '/');
            return p;
        };
        for (const auto& [name, picture] : pictures)
            if (slashes(name) == slashes(path))
                return picture;
        return nullptr;
    }
    // A small stand-in for the file's bytes, or fails with failBmp as the reason.
    WriteResult EncodeBmp(const Picture& picture, std::vector<unsigned char>& bytes) override {
        if (!failBmp.empty())
            return WriteResult::Failed(failBmp);
        const std::string text =
            "BM" + std::to_string(picture->Width) + "x" + std::to_string(picture->Height);
        bytes.assign(text.begin(), text.end());
        return {};
    }
    // A stand-in PNG; the picture is kept.
    WriteResult EncodePng(const Picture& picture, std::vector<unsigned char>& bytes) override {
        encoded = picture;
        const std::string text =
            "PNG" + std::to_string(picture->Width) + "x" + std::to_string(picture->Height);
        bytes.assign(text.begin(), text.end());
        return {};
    }
    std::string failBmp;
    Picture encoded;
    std::map<std::string, Picture> pictures;
    std::vector<std::string> loaded;
};

// Keeps what it is given; refuses everything with refuse set.
class FakeClipboard : public IClipboard {
  public:
    bool SetPicture(const Picture& p) override {
        if (refuse)
            return false;
        picture = p;
        return true;
    }
    Picture picture;
    bool refuse = false;
};

class FakeDialogs : public IDialogs {
  public:
    void MessageBox(const std::string& text) override { messages.push_back(text); }
    // Answers with the next prepared result; Cancel when none is left.
    SaveDialogResult ShowSaveDialog(const SaveDialogRequest& request) override {
        requests.push_back(request);
        if (onShow)
            onShow();
        if (answers.empty())
            return SaveDialogResult{false, request.ProposedName, 0};
        SaveDialogResult r = answers.front();
        answers.erase(answers.begin());
        return r;
    }
    std::vector<std::string> messages;
    std::vector<SaveDialogRequest> requests;
    std::vector<SaveDialogResult> answers;
    std::function<void()> onShow; // runs while the save dialog is open
};

class FakeShell : public IShell {
  public:
    void Open(const std::string& target) override { opened.push_back(target); }
    void Notify(const std::string& summary, const std::string& body,
                const std::string& folder) override {
        notified.push_back(summary + "|" + body + "|" + folder);
    }
    std::vector<std::string> opened;
    std::vector<std::string> notified; // summary|body|folder
};

// An in-memory store with the store's contract: kinds kept apart, missing gives empty or 0.
class MemoryRegistry : public modRegistry {
  public:
    struct Entry {
        bool isNumber;
        std::string text;
        std::int32_t number;
    };
    using Key = std::pair<std::string, std::string>;

    std::string ReadRegString(std::uint32_t, const std::string& k, const std::string& n) override {
        auto it = values.find({k, n});
        return it == values.end() || it->second.isNumber ? "" : it->second.text;
    }
    void WriteRegString(std::uint32_t, const std::string& k, const std::string& n,
                        const std::string& d) override {
        values[{k, n}] = {false, d, 0};
        writes.push_back(n);
    }
    std::int32_t ReadRegDword(std::uint32_t, const std::string& k, const std::string& n) override {
        auto it = values.find({k, n});
        return it == values.end() || !it->second.isNumber ? 0 : it->second.number;
    }
    void WriteRegDword(std::uint32_t, const std::string& k, const std::string& n,
                       std::int32_t d) override {
        values[{k, n}] = {true, {}, d};
        writes.push_back(n);
    }

    std::string Problem() const override { return problem; }

    std::map<Key, Entry> values;
    std::vector<std::string> writes;
    std::string problem;
};

// A menu as text, one line per entry: "3 Caption", "* 402 Caption", "-", "> Caption".
inline void DescribeMenu(const MenuLevel& level, std::vector<std::string>& out,
                         const std::string& indent = "") {
    for (const MenuLevel::Entry& e : level.Entries) {
        switch (e.Type) {
        case MenuLevel::Kind::Separator:
            out.push_back(indent + "-");
            break;
        case MenuLevel::Kind::Item:
            out.push_back(indent + std::to_string(e.Id) + " " + e.Caption);
            break;
        case MenuLevel::Kind::CheckedItem:
            out.push_back(indent + "* " + std::to_string(e.Id) + " " + e.Caption);
            break;
        case MenuLevel::Kind::SubMenu:
            out.push_back(indent + "> " + e.Caption);
            DescribeMenu(*e.Sub, out, indent + "  ");
            break;
        }
    }
}

// Shows nothing: records the menu and answers with the prepared choice.
class FakeMenuService : public IMenuService {
  public:
    ScreenPoint CursorPos() const override { return cursor; }
    std::int32_t TrackPopupMenu(const MenuLevel& menu, ScreenPoint at) override {
        shownAt = at;
        lines.clear();
        DescribeMenu(menu, lines);
        ++shown;
        if (onShow)
            onShow();
        return choice;
    }
    ScreenPoint cursor{300, 200}, shownAt;
    std::int32_t choice = 0;
    std::vector<std::string> lines;
    int shown = 0;
    std::function<void()> onShow;
};

class FakeTipWindow : public ITipWindow {
  public:
    // Text is 7 twips per character wide and 200 twips per line high.
    void MeasureText(const std::string& t, double& w, double& h) const override {
        std::size_t widest = 0, lines = 1, start = 0;
        for (std::size_t pos; (pos = t.find("\r\n", start)) != std::string::npos;
             start = pos + 2, ++lines)
            widest = std::max(widest, pos - start);
        widest = std::max(widest, t.size() - start);
        w = 7.0 * static_cast<double>(widest);
        h = 200.0 * static_cast<double>(lines);
    }
    void SetText(const std::string& t) override { text = t; }
    void SetGeometry(double l, double t, double w, double h) override {
        left = l;
        top = t;
        width = w;
        height = h;
    }
    void Show() override {
        visible = true;
        hideAfter = 0;
    }
    void Hide() override {
        visible = false;
        hideAfter = 0;
    }
    void HideAfter(int milliseconds) override { hideAfter = milliseconds; }
    void Close() override { closed = true; }
    std::string text;
    double left = 0, top = 0, width = 0, height = 0;
    bool visible = false, closed = false;
    int hideAfter = 0; // pending, in milliseconds
};

// What the options view showed, kept beyond the view's life.
struct FakeOptionsState {
    OptionControls shown;
    bool closed = false;
    std::string picked;
};

// Runs a script of user actions while "modal".
class FakeOptionsView : public IOptionsView {
  public:
    explicit FakeOptionsView(FakeOptionsState& shared) : state(shared) {}
    void Refresh(const OptionControls& c) override { state.shown = c; }
    void RunModal() override {
        if (script)
            script();
    }
    void Close() override { state.closed = true; }
    std::string PickFolder(const std::string&) override { return state.picked; }
    FakeOptionsState& state;
    std::function<void()> script;
};

class FakeAboutView : public IAboutView {
  public:
    void Show(const AboutTexts& t) override {
        texts = t;
        if (script)
            script();
    }
    void Close() override { closed = true; }
    AboutTexts texts;
    std::function<void()> script;
    bool closed = false;
};

class FakeWindowFactory : public IWindowFactory {
  public:
    std::unique_ptr<ITipWindow> CreateTipWindow() override {
        ++tipsMade;
        auto made = std::make_unique<FakeTipWindow>();
        tip = made.get();
        return made;
    }
    std::unique_ptr<ITipWindow> CreateNoticeWindow() override {
        auto window = std::make_unique<FakeTipWindow>();
        notice = window.get();
        return window;
    }
    std::unique_ptr<IOptionsView> CreateOptionsView(IOptionsListener& listener) override {
        options = &listener;
        optionsView = FakeOptionsState{};
        auto view = std::make_unique<FakeOptionsView>(optionsView);
        view->script = optionsScript;
        return view;
    }
    std::unique_ptr<IAboutView> CreateAboutView(IAboutListener& listener) override {
        about = &listener;
        ++aboutShown;
        auto view = std::make_unique<FakeAboutView>();
        view->script = aboutScript;
        return view;
    }
    FakeTipWindow* tip = nullptr;
    FakeTipWindow* notice = nullptr;
    int tipsMade = 0;
    IOptionsListener* options = nullptr;
    FakeOptionsState optionsView; // the last options view's state
    std::function<void()> optionsScript;
    IAboutListener* about = nullptr;
    int aboutShown = 0;
    std::function<void()> aboutScript;
};

// A temporary folder, removed with everything in it.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::string& Path() const { return path_; }
    // Writes a file below the folder, creating folders on the way.
    std::string Write(const std::string& relative, const std::string& content) const;

  private:
    std::string path_;
};

inline TempFolder::TempFolder() {
    // A fresh name that no other test run holds: the folder is made only where none exists.
    std::random_device random;
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const auto name = "tarvik-test-" + std::to_string(random()) + std::to_string(random());
        const auto candidate = std::filesystem::temp_directory_path() / name;
        std::error_code ec;
        if (std::filesystem::create_directory(candidate, ec))
            path_ = candidate.string();
    }
}

inline TempFolder::~TempFolder() {
    std::error_code ec;
    std::filesystem::remove_all(path_, ec);
}

inline std::string TempFolder::Write(const std::string& relative,
                                     const std::string& content) const {
    const std::filesystem::path p = std::filesystem::path(path_) / relative;
    std::filesystem::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary) << content;
    return p.string();
}
