#pragma once
// What every program that shows the window sets on its application first.
namespace angoka {

// The name that message boxes without a title of their own show ("暗号化しましょ", never the
// program's file name), the window's Japanese font for every dialog, and the window's icon.
// Call after the QApplication exists and before the window is created.
void PrepareApplication();

}  // namespace angoka
