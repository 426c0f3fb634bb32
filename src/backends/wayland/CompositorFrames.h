// SPDX-License-Identifier: MIT

#pragma once

class QWidget;

// Compositors that apply window changes together (sway) hold every change until each window
// concerned has committed a frame after acknowledging its configure, for up to 200 ms; Qt
// acknowledges and commits only when something was painted. This repaints the widget's
// window on each configure (each arrives as an expose), so the commit follows at once.
void CommitEachConfigure(QWidget& widget);

// Runs the event loop, without user input, until the compositor has shown the widget's last
// frame (its frame callback), at most timeoutMs; whatever the compositor changed before that
// frame, such as a window taken away, is on the screen then. False on the timeout.
bool WaitPresented(QWidget& widget, int timeoutMs);
