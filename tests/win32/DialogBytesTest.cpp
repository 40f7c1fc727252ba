// The dialog manager builds every control of the template table from the
// bytes, of the class its kind needs, at the place the table gives.
#include <gtest/gtest.h>

#include <string>

#include "HiddenDialog.h"
#include "station/ControlIds.h"
#include "station/WindowTemplate.h"

namespace ditdahl {
namespace {

std::string className(HWND window) {
    char name[64] = {};
    GetClassNameA(window, name, sizeof(name));
    return name;
}

std::string expectedClass(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return "Static";
        case ControlKind::Edit:
            return "Edit";
        case ControlKind::ListBox:
            return "ListBox";
        case ControlKind::DropDownList:
            return "ComboBox";
        case ControlKind::ProgressBar:
            return "msctls_progress32";
        case ControlKind::TrackBar:
            return "msctls_trackbar32";
        default:
            return "Button";
    }
}

int childCount(HWND parent) {
    int count = 0;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) ++count;
    return count;
}

TEST(DialogBytes, EveryControlOfTheTableIsBuiltWhereTheTableSays) {
    for (const DialogTemplate* dialog : {&mainWindowTemplate(), &aboutBoxTemplate(), &bandWindowTemplate()}) {
        testing::HiddenDialog box(*dialog);
        ASSERT_NE(box.window(), nullptr) << dialog->title << ": error " << GetLastError();
        EXPECT_EQ(childCount(box.window()), static_cast<int>(dialog->controls.size())) << dialog->title;
        for (const ControlTemplate& control : dialog->controls) {
            if (control.id == ids::noId) continue;
            const HWND item = box.item(control.id);
            ASSERT_NE(item, nullptr) << control.id;
            EXPECT_EQ(className(item), expectedClass(control.kind)) << control.id;
            EXPECT_EQ(IsWindowEnabled(item) != 0, (control.styles & style::disabled) == 0) << control.id;
            if (control.kind == ControlKind::DropDownList) continue;  // its height is the opened list's
            // The dialog manager converts the place and the size each on its own.
            RECT place{control.x, control.y, control.width, control.height};
            MapDialogRect(box.window(), &place);
            RECT placed{};
            GetWindowRect(item, &placed);
            MapWindowPoints(nullptr, box.window(), reinterpret_cast<POINT*>(&placed), 2);
            EXPECT_EQ(placed.left, place.left) << control.id;
            EXPECT_EQ(placed.top, place.top) << control.id;
            EXPECT_EQ(placed.right - placed.left, place.right) << control.id;
            EXPECT_EQ(placed.bottom - placed.top, place.bottom) << control.id;
        }
    }
}

}  // namespace
}  // namespace ditdahl
