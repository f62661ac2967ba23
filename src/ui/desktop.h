#pragma once
// The windows on a real desktop. A window manager draws a frame around each
// top-level window; the designed sizes and positions are those of the frame
// (outer), so the client area is what remains once the frame the window
// manager really draws is taken off. Without a window manager the frame is
// zero; off X11 (the offscreen tests) it is the one Qt reports.
//
// Also here: bringing a window that is already shown to the front, the size
// hints that let the window manager keep the diagram window's proportions by
// itself during a drag, and message boxes wide enough for their title.
#include <QMargins>
#include <QPoint>
#include <QSize>

#include <functional>

class QMessageBox;
class QWidget;

namespace desktop {

// The frame around a top-level window, in logical pixels: the one the window
// manager draws, or before the window is first mapped the one it announces
// for it (asked once with _NET_REQUEST_FRAME_EXTENTS); zero without a window
// manager. Off X11, Qt's own idea of the frame.
QMargins frameMargins(QWidget* window);

// The window's frame gets the outer size `outer` with its top-left corner at
// `topLeft`: at once (frame zero), again when the window is first shown (with
// the announced frame), and once more when it is mapped, if the frame the
// window manager really drew differs. Later shows keep the user's place.
void placeOuter(QWidget* window, QPoint topLeft, QSize outer);
// The same for a window that keeps its client size: its frame is centred on
// the primary screen's available area.
void centreOuter(QWidget* window);

// Shows the window, or when it is already shown brings it to the front and
// gives it the keyboard focus.
void showRaised(QWidget* window);

// Asks the window manager to keep client height = client width + difference
// (logical pixels) during interactive resizes: ICCCM base size and a 1:1
// aspect ratio, re-applied whenever Qt rewrites the window's size hints.
void keepHeightOverWidth(QWidget* window, int difference);

// Runs `changed` (from the event loop) whenever the window manager changes
// the frame it draws around the window, as it does around a maximised one.
void onFrameChange(QWidget* window, std::function<void()> changed);

// Whether a window manager runs on the window's display.
bool windowManagerRunning();

// Whether a pointer button is held down: a window manager's drag in progress.
bool pointerButtonHeld();

// Widens a message box so that the window manager can show its whole title.
void fitTitle(QMessageBox& box);

} // namespace desktop
