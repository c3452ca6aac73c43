// Templates that the windowing tests build their dialogs from; numbers from
// 9000 on are reserved for tests.
#pragma once

#include "ui/template.h"

namespace tolvaro::test {

inline constexpr int kFormTemplate = 9001;
inline constexpr int kNestedTemplate = 9002;
inline constexpr int kDefaultButtonTemplate = 9003;
inline constexpr int kPageTemplateBase = 9010; // 9010..9013

// Form (9001).
inline constexpr int kName = 1001; // lower-case edit, limit set by tests
inline constexpr int kPort = 1002; // digits-only edit
inline constexpr int kNote = 1003; // plain edit
inline constexpr int kCheck = 1010;
inline constexpr int kRadioA = 1011; // group 1
inline constexpr int kRadioB = 1012;
inline constexpr int kRadioC = 1013; // group 2 (alone)
inline constexpr int kCombo = 1020;
inline constexpr int kList = 1030;
inline constexpr int kAction = 1040; // push button
inline constexpr int kHiddenButton = 1041;

// Nested (9002): one edit and OK/Cancel.
inline constexpr int kNestedEdit = 2001;

// Default button (9003): kAction is the default button.

} // namespace tolvaro::test
