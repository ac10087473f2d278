// The screen controls as plain objects: their state and the rules that hold while the user
// edits them. The Qt layer mirrors them; nothing here draws.
#pragma once

#include <string>
#include <vector>

namespace labelora {

struct Control {
    std::string name;
    bool enabled = true;
    bool visible = true;
};

struct Panel : Control {};

struct Button : Control {
    std::string caption;
    int left = 0;  // place in the button row, in pixels of the original screen
};

struct RadioButton : Control {
    std::string caption;
    bool checked = false;
    std::string toolTip;  // why a disabled choice cannot be taken
};

struct CheckBox : Control {
    std::string caption;
    bool checked = false;
};

struct MenuItem : Control {
    std::string caption;
    bool checked = false;
};

// A label that previews a number or a date of the layout; `format` is the pattern it shows
// ("0000", "MM/DD", ...), `caption` what it shows now.
struct PreviewLabel : Control {
    std::string format;
    std::string caption;
};

class ListBox : public Control {
  public:
    // Replaces the items; nothing is selected afterwards.
    void setItems(std::vector<std::string> items);
    const std::vector<std::string> &items() const { return items_; }
    int count() const { return static_cast<int>(items_.size()); }

    // -1 or an index outside the items selects nothing.
    void setItemIndex(int index);
    int itemIndex() const { return itemIndex_; }
    std::string selectedText() const;

    // Grows whenever the items change, so a view can tell when to refill.
    unsigned revision() const { return revision_; }

  private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    unsigned revision_ = 0;
};

// A one-line edit box; `maxLength` counts characters, 0 = no limit.
class EditBox : public Control {
  public:
    void setText(const std::string &text);
    const std::string &text() const { return text_; }
    // Setting a lower limit cuts a longer text at once.
    void setMaxLength(int maxLength);
    int maxLength() const { return maxLength_; }

  private:
    std::string text_;
    int maxLength_ = 0;
};

enum class MemoEdit {
    Accepted,  // the text is as typed
    Cut,       // the caret's line was cut to the byte limit
    Rejected,  // the edit would have made too many lines and was undone
};

// A multi-line memo. Lines are the parts between '\n'; the empty text has no lines.
class Memo : public Control {
  public:
    // Sets the whole text without any limit, as a load from a file does.
    void setText(const std::string &text);
    const std::string &text() const { return text_; }
    void setLines(const std::vector<std::string> &lines);
    std::vector<std::string> lines() const;
    bool isEmpty() const { return text_.empty(); }

    // Typing: `caretLine` is the line that holds the caret after the edit (0-based).
    MemoEdit edit(const std::string &text, int caretLine);

    // Bytes (code page 932) a typed line may hold, 0 = no limit; lines already longer are
    // left alone until typed in.
    int lineByteLimit = 0;
    int maxLines = 0;  // 0 = no limit
    bool readOnly = false;

    // Grows whenever the model itself changes the text, so a view can tell when to reload.
    unsigned revision() const { return revision_; }

  private:
    std::string text_;
    unsigned revision_ = 0;
};

struct TabControl : Control {
    std::vector<std::string> captions;
    int tabIndex = 0;
};

}  // namespace labelora
