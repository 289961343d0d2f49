#include "ui/common/window_layout.h"

WindowPlace CentredPlace(int area_width, int area_height, const WindowSize& size) {
    return {(area_width - size.width) / 2, (area_height - size.height) / 2 - size.lift};
}
