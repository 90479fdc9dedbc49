#include "ui/view_geometry.h"

#include <algorithm>
#include <cstdint>

namespace stillpix {

bool IsZoomStep(int zoom) {
    return zoom == 25 || zoom == 50 || zoom == 100 || zoom == 200 || zoom == 400;
}

int DefaultZoomRequest(int stored) { return IsZoomStep(stored) ? stored : kBestFit; }

int Scaled(int pixels, int zoom) { return int(int64_t{pixels} * zoom / 100); }

int BestFitZoom(ViewSize image, ViewSize client) {
    int zoom = 100;
    while (zoom > kMinZoom) {
        const bool fits = Scaled(image.width, zoom) < int64_t{client.width} * 100 / 75 &&
                          Scaled(image.height, zoom) < int64_t{client.height} * 100 / 75;
        if (fits) break;
        zoom /= 2;
    }
    return zoom;
}

int KeepCentre(int scroll, int client, int oldScaled, int newScaled) {
    if (oldScaled <= 0) return 0;
    const int moved =
        int((double(scroll) + client / 2) * double(newScaled) / double(oldScaled) - client / 2);
    return std::clamp(moved, 0, std::max(0, newScaled - client));
}

int WholePixelScroll(int scroll, int zoom) {
    const int step = zoom / 100;
    return step > 1 ? scroll - scroll % step : scroll;
}

DrawPlan PlanDrawing(ViewSize image, ViewSize client, int zoom, int scrollX, int scrollY) {
    DrawPlan plan;
    if (zoom <= 0 || image.width <= 0 || image.height <= 0) return plan;
    const int x = WholePixelScroll(scrollX, zoom);
    const int y = WholePixelScroll(scrollY, zoom);
    // A little more than the client area, so that a partly shown pixel at the edge is drawn.
    int screenWidth = client.width + 5;
    int screenHeight = client.height + 5;
    int left = int(int64_t{x} * 100 / zoom);
    int top = int(int64_t{y} * 100 / zoom);
    int width = int(int64_t{screenWidth} * 100 / zoom);
    int height = int(int64_t{screenHeight} * 100 / zoom);
    const int scaledWidth = Scaled(image.width, zoom);
    const int scaledHeight = Scaled(image.height, zoom);
    if (scaledWidth < screenWidth) {
        plan.destLeft = (screenWidth - scaledWidth) / 2;
        left = 0;
    }
    if (scaledHeight < screenHeight) {
        plan.destTop = (screenHeight - scaledHeight) / 2;
        top = 0;
    }
    left = std::max(left, 0);
    top = std::max(top, 0);
    width = std::min(width, image.width - left);
    height = std::min(height, image.height - top);
    if (width <= 0 || height <= 0) return plan;
    plan.image = {left, top, left + width, top + height};
    plan.destWidth = Scaled(width, zoom);
    plan.destHeight = Scaled(height, zoom);
    return plan;
}

}  // namespace stillpix
