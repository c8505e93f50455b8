// Where the chooser puts things: the window size, the controls' positions,
// the picture panes, and centring in a work area.
#pragma once
#include <windows.h>

namespace orvane {

constexpr int kChooserWidth = 800;
constexpr int kChooserHeight = 600;

struct ControlPlacement {
    int id;
    int x, y, width, height;  // client coordinates
};

// Choices 1001, 1002, 1004 (first row), 1000, 1003 (second row), OK, Cancel,
// then the instruction line over the banner's own: the order in which the
// controls are moved.
constexpr int kPlacementCount = 8;
extern const ControlPlacement kPlacements[kPlacementCount];

struct PanePlacement {
    UINT bitmapId;
    RECT rect;     // client coordinates (left, top, right, bottom)
    int choiceId;  // the choice under the picture, whose product names the pane
};

// The five panes in creation order: three over the first row of choices,
// two over the second.
constexpr int kPaneCount = 5;
extern const PanePlacement kPanes[kPaneCount];

// Top-left corner that centres a width x height window in `area`, pulled
// back inside the area's left/top edge, or else its right/bottom edge.
POINT CentreInArea(const RECT& area, int width, int height);

}  // namespace orvane
