// Connects the text engine's beeps and shortages to the window system; a
// shortage is told in a box through the framework's message-box seam, so
// tests answer it. Called once at program start.
#pragma once

void ConnectTextEngineToWindows();
