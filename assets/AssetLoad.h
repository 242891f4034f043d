// The one-time load of every asset, on the first frame.
#pragma once

void loadAssets();
