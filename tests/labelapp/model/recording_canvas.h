// A canvas that records every call, for checking what a print would put on paper. Text is
// measured like a fixed-pitch font: half an em per code page 932 byte.
#pragma once

#include <string>
#include <vector>

#include "core/printing/canvas.h"
#include "core/files/cp932.h"

namespace labelora {

struct DrawCall {
    enum Kind { Ellipse, Rectangle, RoundRect, Text, Fill } kind = Text;
    int page = 0;
    DeviceRect box{0, 0, 0, 0};  // shapes; for text: left, top, right, bottom of the text
    std::string text;
    Rgb pen, brush, textColour;
    int penWidth = 0;
    bool filled = true;
    std::string fontFamily;
    int fontSize = 0;
    bool bold = false;
};

class RecordingCanvas : public Canvas {
  public:
    explicit RecordingCanvas(Resolution dpi = {600, 600}) : dpi_(dpi) {}

    Resolution resolution() const override { return dpi_; }
    bool beginDocument(const std::string &title) override {
        ++documents;
        this->title = title;
        page = 1;
        return acceptDocument;
    }
    void newPage() override { ++page; }
    void endDocument() override { ended = true; }
    void setPen(Rgb colour, int width) override { pen_ = colour, penWidth_ = width; }
    void setBrush(Rgb colour) override { brush_ = colour, filled_ = true; }
    void setNoBrush() override { filled_ = false; }
    void setFont(const std::string &family, int size, bool bold) override {
        family_ = family, size_ = size, bold_ = bold;
    }
    void setTextColour(Rgb colour) override { textColour_ = colour; }
    void ellipse(const DeviceRect &box) override { shape(DrawCall::Ellipse, box); }
    void rectangle(const DeviceRect &box) override { shape(DrawCall::Rectangle, box); }
    void roundRect(const DeviceRect &box, int, int) override { shape(DrawCall::RoundRect, box); }
    void fillRectangle(const DeviceRect &box, Rgb colour) override {
        DrawCall call = current(DrawCall::Fill);
        call.box = box;
        call.brush = colour;
        calls.push_back(call);
    }
    void textOut(int x, int y, const std::string &text) override {
        TextSize size = textExtent(text);
        DrawCall call = current(DrawCall::Text);
        call.box = {x, y, x + size.width, y + size.height};
        call.text = text;
        calls.push_back(call);
    }
    TextSize textExtent(const std::string &text) override {
        return {cp932Length(text) * size_ * dpi_.x / 144, size_ * dpi_.y / 72};
    }

    std::vector<DrawCall> ofKind(DrawCall::Kind kind) const {
        std::vector<DrawCall> out;
        for (const auto &call : calls)
            if (call.kind == kind) out.push_back(call);
        return out;
    }

    std::vector<DrawCall> calls;
    int page = 0;
    int documents = 0;
    bool ended = false;
    bool acceptDocument = true;
    std::string title;

  private:
    DrawCall current(DrawCall::Kind kind) const {
        DrawCall call;
        call.kind = kind;
        call.page = page;
        call.pen = pen_, call.brush = brush_, call.textColour = textColour_;
        call.penWidth = penWidth_, call.filled = filled_;
        call.fontFamily = family_, call.fontSize = size_, call.bold = bold_;
        return call;
    }
    void shape(DrawCall::Kind kind, const DeviceRect &box) {
        DrawCall call = current(kind);
        call.box = box;
        calls.push_back(call);
    }

    Resolution dpi_;
    Rgb pen_, brush_, textColour_;
    int penWidth_ = 0, size_ = 0;
    bool filled_ = true, bold_ = false;
    std::string family_;
};

}  // namespace labelora
