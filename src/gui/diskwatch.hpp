// When the user comes back to the frame, its status line tells of a
// document whose file another program changed meanwhile.
#pragma once

class MainFrame;

// Installs the watch on the frame's activation (it lives as long as the
// frame).
void watchDiskChanges(MainFrame& frame);
