// The icons and other resources live in the GUI library; a static library's
// resources must be registered once by whoever links it (program, tests, tools).
#pragma once

void initGuiResources();
