#pragma once
// Where a dialog goes when it is centred: over its owner (or the work area), then moved as
// little as needed to lie within the monitor's work area, as the system's own centring does.
// Where it cannot fit, its top-left corner stays inside.

struct ScreenRect {
    int left;
    int top;
    int right;
    int bottom;
};

struct WindowOrigin {
    int x;
    int y;
};

constexpr int CentredStart(int start, int end, int size, int low, int high) {
    const int centred = start + (end - start - size) / 2;
    const int notPastEnd = centred + size > high ? high - size : centred;
    return notPastEnd < low ? low : notPastEnd;
}

constexpr WindowOrigin CentredWithin(int width, int height, ScreenRect over, ScreenRect workArea) {
    return WindowOrigin{CentredStart(over.left, over.right, width, workArea.left, workArea.right),
                        CentredStart(over.top, over.bottom, height, workArea.top, workArea.bottom)};
}
