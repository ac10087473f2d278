// The attributes a book gathers for one position, one setter at a time: each field keeps its
// "not set" value until its setter stores one.
#pragma once

#include <cstdint>
#include <string>

namespace tabrix::bookapi {

struct PendingAttributes {
    std::string format;     // narrow, at most 64 bytes
    std::string font_name;  // narrow, at most 64 bytes
    double font_size = -1.0;
    int32_t font_colour = -1;
    int32_t font_style = -1;
    int32_t underline = -1;
    int32_t line_top = -1;
    int32_t line_bottom = -1;
    int32_t line_left = -1;
    int32_t line_right = -1;
    int32_t line_left_up = -1;
    int32_t line_right_up = -1;
    int32_t pattern = -1;
    int32_t back_colour = -1;
    int32_t pos_horz = -1;
    int32_t pos_vert = -1;
    int32_t turn = -1;
    int32_t over_return = -1;
    int32_t fit = -1;
    int32_t joint = -1;
};

}  // namespace tabrix::bookapi
