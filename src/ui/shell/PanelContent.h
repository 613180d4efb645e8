#pragma once

// The view the panel window and the snapshot show.
#include "shell/PlaceholderPanel.h"

namespace ui {
using PanelContent = PlaceholderPanel;
}
