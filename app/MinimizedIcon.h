#pragma once
// Where a minimized dialog draws its icon: centred in the client area, with the divisions
// truncating toward zero as signed integer divisions do.

struct IconOrigin {
    int x;
    int y;
};

constexpr IconOrigin CentredIconOrigin(int clientWidth, int clientHeight, int iconWidth,
                                       int iconHeight) {
    return IconOrigin{(clientWidth - iconWidth + 1) / 2, (clientHeight - iconHeight + 1) / 2};
}
