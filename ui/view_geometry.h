// The image view's arithmetic: zoom steps, Best Fit, keeping the centre, whole-pixel scroll
// positions and which part of the image a repaint draws where. Plain integers, no widgets.
#pragma once

#include "engine/tile_grid.h"

namespace stillpix {

constexpr int kMinZoom = 25;
constexpr int kMaxZoom = 400;
constexpr int kBestFit = 0;

struct ViewSize {
    int width = 0;
    int height = 0;
};

// A zoom the view takes: 25, 50, 100, 200 or 400.
bool IsZoomStep(int zoom);
// The option "Image default zoom value" as a zoom request: a stored step, else Best Fit (0).
int DefaultZoomRequest(int stored);
// 100, halved while the scaled image is not smaller than the client area x 100 / 75 in width or
// height, at least 25.
int BestFitZoom(ViewSize image, ViewSize client);
// Image pixels times zoom / 100.
int Scaled(int pixels, int zoom);
// The scroll position that keeps the client area's centre on the same image point when the
// scaled size changes from `oldScaled` to `newScaled`, clamped to 0 .. newScaled - client.
int KeepCentre(int scroll, int client, int oldScaled, int newScaled);
// Above 100 percent a scroll position rounded down to whole image pixels.
int WholePixelScroll(int scroll, int zoom);

// One repaint: the image rectangle (image pixels) and where it lands in the client area.
struct DrawPlan {
    TileRect image;  // empty when nothing is drawn
    int destLeft = 0;
    int destTop = 0;
    int destWidth = 0;
    int destHeight = 0;
};
// The part of an image of `image` size at `zoom` that a client area of `client` size shows at
// scroll position (scrollX, scrollY); an image narrower (or lower) than the client is centred.
DrawPlan PlanDrawing(ViewSize image, ViewSize client, int zoom, int scrollX, int scrollY);

}  // namespace stillpix
