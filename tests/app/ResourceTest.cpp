// The resources as compiled into the executable: dialog templates, string, icon group and
// version, read back from the module the way the system reads them.

#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

struct Control {
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    int id;
    std::wstring windowClass;  // "#128" for an ordinal
    std::wstring text;
};

struct Dialog {
    DWORD exStyle;
    DWORD style;
    short x, y, cx, cy;
    std::wstring caption;
    WORD pointSize, weight;
    BYTE italic, charset;
    std::wstring face;
    std::vector<Control> controls;
};

class TemplateReader {
public:
    explicit TemplateReader(const BYTE* data) : data_(data) {}
    template <typename T>
    T Read() {
        T value;
        std::memcpy(&value, data_ + offset_, sizeof value);
        offset_ += sizeof value;
        return value;
    }
    std::wstring ReadNameOrOrdinal() {
        const WORD first = Read<WORD>();
        if (first == 0xFFFF) {
            return L"#" + std::to_wstring(Read<WORD>());
        }
        std::wstring text;
        for (WORD ch = first; ch != 0; ch = Read<WORD>()) {
            text += static_cast<wchar_t>(ch);
        }
        return text;
    }
    void AlignToDword() { offset_ = (offset_ + 3) & ~std::size_t{3}; }

private:
    const BYTE* data_;
    std::size_t offset_ = 0;
};

const BYTE* ResourceData(LPCWSTR type, int id) {
    const HRSRC found = ::FindResourceW(nullptr, MAKEINTRESOURCEW(id), type);
    return found ? static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, found)))
                 : nullptr;
}

Dialog LoadDialog(int id) {
    const BYTE* data = ResourceData(MAKEINTRESOURCEW(5) /* RT_DIALOG */, id);
    EXPECT_NE(data, nullptr);
    TemplateReader reader(data);
    EXPECT_EQ(reader.Read<WORD>(), 1);       // version
    EXPECT_EQ(reader.Read<WORD>(), 0xFFFF);  // extended template
    EXPECT_EQ(reader.Read<DWORD>(), 0u);     // help id
    Dialog dialog{};
    dialog.exStyle = reader.Read<DWORD>();
    dialog.style = reader.Read<DWORD>();
    const WORD count = reader.Read<WORD>();
    dialog.x = reader.Read<short>();
    dialog.y = reader.Read<short>();
    dialog.cx = reader.Read<short>();
    dialog.cy = reader.Read<short>();
    EXPECT_EQ(reader.ReadNameOrOrdinal(), L"");  // no menu
    EXPECT_EQ(reader.ReadNameOrOrdinal(), L"");  // the standard dialog class
    dialog.caption = reader.ReadNameOrOrdinal();
    dialog.pointSize = reader.Read<WORD>();
    dialog.weight = reader.Read<WORD>();
    dialog.italic = reader.Read<BYTE>();
    dialog.charset = reader.Read<BYTE>();
    dialog.face = reader.ReadNameOrOrdinal();
    for (WORD index = 0; index < count; ++index) {
        reader.AlignToDword();
        EXPECT_EQ(reader.Read<DWORD>(), 0u);  // help id
        Control control{};
        control.exStyle = reader.Read<DWORD>();
        control.style = reader.Read<DWORD>();
        control.x = reader.Read<short>();
        control.y = reader.Read<short>();
        control.cx = reader.Read<short>();
        control.cy = reader.Read<short>();
        control.id = reader.Read<int>();
        control.windowClass = reader.ReadNameOrOrdinal();
        control.text = reader.ReadNameOrOrdinal();
        EXPECT_EQ(reader.Read<WORD>(), 0);  // no creation data
        dialog.controls.push_back(control);
    }
    return dialog;
}

void ExpectControl(const Control& actual, const Control& expected) {
    EXPECT_EQ(actual.text, expected.text);
    EXPECT_EQ(actual.exStyle, expected.exStyle);
    EXPECT_EQ(actual.style, expected.style) << std::hex << actual.style;
    EXPECT_EQ(actual.x, expected.x);
    EXPECT_EQ(actual.y, expected.y);
    EXPECT_EQ(actual.cx, expected.cx);
    EXPECT_EQ(actual.cy, expected.cy);
    EXPECT_EQ(actual.id, expected.id);
    // The resource compilers store a predefined class by its ordinal, except windres for a
    // CONTROL statement, which keeps its name: the system takes either.
    const std::wstring names[] = {L"#128", L"BUTTON", L"#130", L"STATIC"};
    for (int index = 0; index < 4; index += 2) {
        if (actual.windowClass == names[index + 1]) {
            EXPECT_EQ(names[index], expected.windowClass);
            return;
        }
    }
    EXPECT_EQ(actual.windowClass, expected.windowClass);
}

}  // namespace

TEST(ResourceTest, SettingsDialogTemplate) {
    const Dialog dialog = LoadDialog(IDD_SETTINGS);
    EXPECT_EQ(dialog.exStyle, 0x00040000u);
    EXPECT_EQ(dialog.style, 0x90C800C0u);
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 251);
    EXPECT_EQ(dialog.cy, 117);
    EXPECT_EQ(
        dialog.caption,
        L"\u901A\u5E33\u8AAD\u53D6 \u30B9\u30AD\u30E3\u30CA\u30C9\u30E9\u30A4\u30D0\u8A2D\u5B9A");
    EXPECT_EQ(dialog.pointSize, 11);
    EXPECT_EQ(dialog.weight, 400);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 128);
    EXPECT_EQ(dialog.face, L"\uFF2D\uFF33 \u30B4\u30B7\u30C3\u30AF");
    ASSERT_EQ(dialog.controls.size(), 6u);
    ExpectControl(dialog.controls[0],
                  {0, 0x50020009, 30, 42, 202, 11, 1000, L"#128",
                   L"PaperStreamIP(TWAIN)\u30C9\u30E9\u30A4\u30D0\u3092\u4F7F\u7528"});
    ExpectControl(dialog.controls[1],
                  {0, 0x50000009, 30, 59, 202, 12, 1001, L"#128",
                   L"fi\u30B7\u30EA\u30FC\u30BA TWAIN\u30C9\u30E9\u30A4\u30D0 \u3092\u4F7F\u7528"});
    ExpectControl(dialog.controls[2], {0, 0x50010001, 128, 93, 50, 16, IDOK, L"#128", L"OK"});
    ExpectControl(dialog.controls[3], {0, 0x50010000, 189, 93, 50, 16, IDCANCEL, L"#128",
                                       L"\u30AD\u30E3\u30F3\u30BB\u30EB"});
    ExpectControl(
        dialog.controls[4],
        {0, 0x50020000, 14, 10, 228, 19, -1, L"#130",
         L"\u901A\u5E33\u8AAD\u53D6\u7528\u306E\u30B9\u30AD\u30E3\u30CA\u30C9\u30E9\u30A4\u30D0"
         L"\u8A2D\u5B9A\u3092\u884C\u3044\u307E\u3059\u3002\n(PFU fi\u30B7\u30EA\u30FC\u30BA)"});
    ExpectControl(dialog.controls[5], {0, 0x50000007, 11, 30, 228, 53, -1, L"#128", L""});
}

TEST(ResourceTest, AboutDialogTemplate) {
    const Dialog dialog = LoadDialog(IDD_ABOUT);
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.style, 0x80C800C8u);
    EXPECT_EQ(dialog.cx, 235);
    EXPECT_EQ(dialog.cy, 55);
    EXPECT_EQ(dialog.caption, L"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831 Brenwick");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.weight, 0);
    EXPECT_EQ(dialog.charset, 1);
    EXPECT_EQ(dialog.face, L"MS UI Gothic");
    ASSERT_EQ(dialog.controls.size(), 4u);
    ExpectControl(dialog.controls[0], {0, 0x50000003, 11, 17, 20, 20, -1, L"#130", L"#128"});
    ExpectControl(dialog.controls[1],
                  {0, 0x50020080, 40, 10, 119, 8, -1, L"#130", L"Brenwick Version 1.0"});
    EXPECT_EQ(dialog.controls[2].style, 0x50020000u);
    EXPECT_EQ(dialog.controls[2].y, 25);
    ExpectControl(dialog.controls[3], {0, 0x50030001, 178, 7, 50, 16, IDOK, L"#128", L"OK"});
}

TEST(ResourceTest, AboutItemIconsAndVersion) {
    const wchar_t* text = nullptr;
    const int length = ::LoadStringW(nullptr, IDS_ABOUT_ITEM, reinterpret_cast<LPWSTR>(&text), 0);
    EXPECT_EQ(std::wstring(text, static_cast<std::size_t>(length)),
              L"\u30D0\u30FC\u30B8\u30E7\u30F3\u60C5\u5831 Brenwick(&A)...");

    const BYTE* group = ResourceData(MAKEINTRESOURCEW(14) /* RT_GROUP_ICON */, IDI_APP);
    ASSERT_NE(group, nullptr);
    WORD count = 0;
    std::memcpy(&count, group + 4, sizeof count);
    ASSERT_EQ(count, 9);
    const BYTE sizes[] = {48, 32, 16};
    const WORD bitCounts[] = {4, 8, 24};
    for (WORD index = 0; index < count; ++index) {
        const BYTE* entry = group + 6 + 14 * index;  // GRPICONDIRENTRY
        WORD bits = 0;
        std::memcpy(&bits, entry + 6, sizeof bits);
        EXPECT_EQ(entry[0], sizes[index / 3]);
        EXPECT_EQ(bits, bitCounts[index % 3]);
    }

    const BYTE* version = ResourceData(MAKEINTRESOURCEW(16) /* RT_VERSION */, 1);
    ASSERT_NE(version, nullptr);
    VS_FIXEDFILEINFO fixed{};
    std::memcpy(&fixed, version + 40, sizeof fixed);  // after the header and its L"VS_VERSION_INFO"
    EXPECT_EQ(fixed.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(fixed.dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwFileVersionLS, 0x00000002u);
    EXPECT_EQ(fixed.dwProductVersionMS, 0x00010000u);
    EXPECT_EQ(fixed.dwProductVersionLS, 0x00000002u);
    const std::wstring block(reinterpret_cast<const wchar_t*>(version), 2048 / sizeof(wchar_t));
    EXPECT_NE(block.find(L"041103a4"), std::wstring::npos);
    EXPECT_NE(block.find(L"Brenwick.exe"), std::wstring::npos);
}
