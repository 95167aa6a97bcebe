// The one application object the window-layer tests share.
#pragma once

// Creates it on first use (offscreen unless a platform is already chosen).
void EnsureUiTestApplication();
