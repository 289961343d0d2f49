#include "ui/common/window_layout.h"

WindowPlace CentredPlace(int area_width, int area_height, int width, int height, int lift) {
    return {(area_width - width) / 2, (area_height - height) / 2 - lift};
}
