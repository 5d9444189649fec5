#pragma once
// The controls of the module's windows as plain objects: each holds the state the logic
// reads and writes (text, value, caption, enabled, visible). A front end binds them to
// widgets or to a terminal; tests read them directly. Controls that act on the screen
// (path box refresh, container placement, resize) record what they were asked to do.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace module {

struct Frame {
    std::string caption{};
};

struct Label {
    std::string caption{};
};

// A label that shows formatted text under its heading.
struct RichTextLabel {
    std::string caption{};
    std::string text{};
};

// A rich-text box: its text, the font of its empty document, and whether it lies on top of
// the control that shares its place.
struct RichTextBox {
    std::string text{};
    std::string font = "Tahoma";
    bool on_top = false;
};

struct TextBox {
    std::string text{};
    bool enabled = true;
    bool visible = true;
};

// 0 unchecked, 1 checked, 2 greyed.
struct CheckBox {
    std::string caption{};
    int value = 0;
    bool enabled = true;
    bool visible = true;
};

struct Button {
    std::string caption{};
    bool enabled = true;
};

struct ProgressBar {
    std::string caption{};
    long min = 0;
    long max = 0;
    long value = 0;
    bool visible = false;
    // Asks the front end to repaint the bar (it is told through on_repaint when it set one).
    void Refresh() {
        ++repaints;
        if (on_repaint) on_repaint(*this);
    }
    int repaints = 0;
    std::function<void(const ProgressBar&)> on_repaint{};
};

// The window's mouse pointer (MousePointer): 0 default, 11 hourglass.
inline constexpr int kPointerDefault = 0;
inline constexpr int kPointerHourglass = 11;

// A text box holding the path of a file, with a browse button in the front end.
class PathBox {
  public:
    // What the path box tells about the file its text names.
    struct File {
        bool exists = false;                // a regular file is there (a folder is not a file)
        std::filesystem::path full_path{};  // absolute and normalised
    };

    // The side of the box that a front end shows (the browse list of the folder, the file
    // system it looks at). Without one the box answers from the local file system. What
    // fails there fails the box's operation, and the procedure that asked traps it.
    class View {
      public:
        virtual ~View() = default;
        virtual bool Usable(const std::string& text) = 0;
        virtual File FileOf(const std::string& text) = 0;
        virtual void RefreshText(const std::string& text) = 0;
        virtual void RefreshList(const std::string& text) = 0;
    };

    std::string caption{};
    std::string text{};
    bool enabled = true;
    bool visible = true;
    std::shared_ptr<View> view{};

    // The text names a file path: not blank, no NUL, not ending in a separator ("/" or "").
    bool usable() const { return view ? view->Usable(text) : local_usable(text); }
    // The file object for the current text.
    File file() const { return view ? view->FileOf(text) : local_file(text); }
    bool file_exists() const { return file().exists; }
    std::filesystem::path full_path() const { return file().full_path; }

    // The box's two refresh operations, always in this order: the text shown again, then
    // the browse list of the folder.
    void Refresh() {
        ++text_refreshes;
        if (view) view->RefreshText(text);
        ++list_refreshes;
        if (view) view->RefreshList(text);
    }
    int text_refreshes = 0;
    int list_refreshes = 0;

    // The answers of a box without a view, for views that add to them.
    static bool local_usable(const std::string& text);
    static File local_file(const std::string& text);
};

// The container that places a window inside the host's frame.
struct MdiContainer {
    long left = 0;
    long top = 0;
    long width = 0;
    long height = 0;
    std::int32_t window_state = 0;
    bool display_flags[2] = {false, false};
    int moves = 0;
};

// Keeps frames proportional when the window is resized.
struct ResizeManager {
    int initialisations = 0;
    // Frames resized, in order, with their mode.
    std::vector<std::pair<std::string, int>> resized;
    void Initialise() { ++initialisations; }
    void Resize(std::string frame, int mode) { resized.emplace_back(std::move(frame), mode); }
};

}  // namespace module
