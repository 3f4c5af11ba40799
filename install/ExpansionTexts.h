// The texts of a failed expansion, built in one place.
#pragma once

#include <string>
#include <string_view>

namespace install {

// "コンポーネントの展開[<step>]に失敗しました。終了します。": a step named by its table position
// or by what it did.
inline std::string expansionStepFailed(std::string_view step) {
  return "コンポーネントの展開[" + std::string(step) + "]に失敗しました。終了します。";
}
inline std::string expansionStepFailed(int position) {
  return expansionStepFailed(std::to_string(position));
}

// "コンポーネントの展開に失敗しました(<stage>)終了します。": the main program's replacement
// (1 to 3) or the run as a whole (4).
inline std::string expansionFailed(int stage) {
  return "コンポーネントの展開に失敗しました(" + std::to_string(stage) + ")終了します。";
}

}  // namespace install
