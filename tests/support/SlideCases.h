#pragma once

#include <gtest/gtest.h>

#include <string>

namespace quill::test {

/// A screen density and task-bar side for the sliding windows' tests.
struct SlideCase {
  int twipsPerPixel;
  bool taskbarAtTop;
};

/// 12, 15 and 20 twips per pixel, each with the task bar at the bottom and at the top.
inline auto SlideCases() {
  return ::testing::Values(SlideCase{12, false}, SlideCase{12, true}, SlideCase{15, false},
                           SlideCase{15, true}, SlideCase{20, false}, SlideCase{20, true});
}

inline std::string SlideCaseName(const ::testing::TestParamInfo<SlideCase>& info) {
  return std::to_string(info.param.twipsPerPixel) + "TwipsPerPixel" +
         (info.param.taskbarAtTop ? "TaskbarAtTop" : "TaskbarAtBottom");
}

}  // namespace quill::test
