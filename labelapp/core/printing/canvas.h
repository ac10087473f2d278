// The drawing surface of a printed document: a printer page, a PDF file or, in the tests,
// a recorder. Coordinates are device pixels of the page, origin at the paper's corner.
#pragma once

#include <string>

namespace labelora {

struct Rgb {
    int r = 0, g = 0, b = 0;
    friend bool operator==(const Rgb &, const Rgb &) = default;
};

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};
inline constexpr Rgb kGray{128, 128, 128};

struct DeviceRect {
    int left, top, right, bottom;
    friend bool operator==(const DeviceRect &, const DeviceRect &) = default;
};

struct TextSize {
    int width, height;
};

struct Resolution {
    int x, y;  // dots per inch
};

class Canvas {
  public:
    virtual ~Canvas() = default;

    virtual Resolution resolution() const = 0;
    // False when the document cannot be started (the printer or file refused it).
    virtual bool beginDocument(const std::string &title) = 0;
    virtual void newPage() = 0;
    virtual void endDocument() = 0;

    virtual void setPen(Rgb colour, int width) = 0;
    virtual void setBrush(Rgb colour) = 0;
    virtual void setNoBrush() = 0;  // shapes are outlined only
    // An empty family is the canvas's own font; sizes are in points.
    virtual void setFont(const std::string &family, int pointSize, bool bold) = 0;
    virtual void setTextColour(Rgb colour) = 0;

    virtual void ellipse(const DeviceRect &box) = 0;
    virtual void rectangle(const DeviceRect &box) = 0;
    virtual void roundRect(const DeviceRect &box, int cornerWidth, int cornerHeight) = 0;
    // A rectangle filled in `colour` with no outline, whatever the pen: the modules of a
    // code, which must not grow by a pen's width.
    virtual void fillRectangle(const DeviceRect &box, Rgb colour) = 0;
    // Text with its top-left corner at (x, y), on a transparent background.
    virtual void textOut(int x, int y, const std::string &utf8) = 0;
    virtual TextSize textExtent(const std::string &utf8) = 0;
};

}  // namespace labelora
