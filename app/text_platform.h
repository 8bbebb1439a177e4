// Connects the text engine's beeps and message boxes to the window system;
// its boxes go through the framework's message-box seam, so tests answer
// them. Called once at program start.
#pragma once

void ConnectTextEngineToWindows();
