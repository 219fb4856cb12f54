#pragma once
// The pen, brush and font objects that metafile records create.

#include <cstdint>
#include <string>

namespace mv {

class TmvGDI {
public:
    virtual ~TmvGDI() = default;
};

class TmvPen : public TmvGDI {
public:
    std::int32_t Color = -1; // DXF colour number
    std::int32_t Width = 0;  // logical units
    std::uint8_t Style = 0;  // low byte of the pen style
};

class TmvExtPen : public TmvPen {};

class TmvBrush : public TmvGDI {
public:
    std::int32_t Color = -1;
    std::uint8_t HatchStyle = 0; // 0 solid, 2..7 hatched
};

class TmvFont : public TmvGDI {
public:
    std::string Name; // face name in the single-byte code page
    std::int32_t Height = 0;
    std::int32_t Escapement = 0; // tenths of a degree
    bool Bold = false;
    bool Italic = false;
    bool Underline = false;
};

} // namespace mv
