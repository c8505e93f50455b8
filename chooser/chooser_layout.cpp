#include "chooser_layout.h"

#include "resource_ids.h"

namespace orvane {

const ControlPlacement kPlacements[kPlacementCount] = {
    {IDC_CHOICE_CUIYU, 50, 390, 150, 20},
    {IDC_CHOICE_TONGYUN, 320, 390, 150, 20},
    {IDC_CHOICE_BITAO, 590, 390, 150, 20},
    {IDC_CHOICE_NODI, 210, 540, 150, 20},
    {IDC_CHOICE_SHUNSHOU, 505, 540, 150, 20},
    {IDOK, 250, 570, 100, 25},
    {IDCANCEL, 420, 570, 100, 25},
    {IDC_INSTRUCTION, 44, 184, 520, 32},
};

// The pictures are 180 x 141; the second-row panes are 144 high and stretch
// theirs.
const PanePlacement kPanes[kPaneCount] = {
    {IDB_PRODUCT_CUIYU, {0, 250, 180, 391}, IDC_CHOICE_CUIYU},
    {IDB_PRODUCT_TONGYUN, {260, 250, 440, 391}, IDC_CHOICE_TONGYUN},
    {IDB_PRODUCT_BITAO, {520, 250, 700, 391}, IDC_CHOICE_BITAO},
    {IDB_PRODUCT_NODI, {170, 400, 350, 544}, IDC_CHOICE_NODI},
    {IDB_PRODUCT_SHUNSHOU, {440, 400, 620, 544}, IDC_CHOICE_SHUNSHOU},
};

POINT CentreInArea(const RECT& area, int width, int height) {
    POINT corner;
    corner.x = (area.left + area.right) / 2 - width / 2;
    corner.y = (area.top + area.bottom) / 2 - height / 2;
    if (corner.x < area.left)
        corner.x = area.left;
    else if (corner.x + width > area.right)
        corner.x = area.right - width;
    if (corner.y < area.top)
        corner.y = area.top;
    else if (corner.y + height > area.bottom)
        corner.y = area.bottom - height;
    return corner;
}

}  // namespace orvane
