#pragma once
// What the window system lets the program do with its own windows. X11 lets
// it place a top-level window and raise it over the others; Wayland leaves
// both to the compositor (docs/editions.md), so there they are not asked for.
class QPoint;
class QWidget;

namespace pellaro {

// False on Wayland: the compositor places windows and decides which is in front.
bool WindowSystemPlacesWindows();
// Moves a top-level window to `topLeft` where the window system allows it.
void PlaceWindow(QWidget* window, const QPoint& topLeft);
// Raises the window and gives it the keyboard where the window system allows
// it; on Wayland it is only shown (a new window gets the focus there).
void BringForward(QWidget* window);

// Lets screen readers into the web engine's pages, which Qt WebEngine leaves
// out on Linux unless asked (the engine builds the tree only while a screen
// reader listens). Call before the engine starts.
void LetScreenReadersIntoWebPages();

}  // namespace pellaro
