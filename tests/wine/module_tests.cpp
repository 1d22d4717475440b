// thicken.dll as the modeller runs it, on Wine: this program is the host (it
// links the reference host and exports the 141 names), shows a real main
// window, loads the module with LoadLibraryA, asks who it is, binds it with
// MQInit and runs the command on documents it built, driving the dialog
// from a second thread the way a user does.
//
//   wine_module_tests [NAME...]          runs the test cases (all, or those
//                                        whose names contain a NAME)
//   wine_module_tests --screenshot READY RELEASE
//                                        opens the dialog, creates the file
//                                        READY once it is painted, and
//                                        cancels it when RELEASE exists
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "host/bind_in_process.h"
#include "host/document.h"
#include "host/main_window.h"
#include "mesh/edge_object.h"
#include "mesh/polygon_object.h"
#include "mesh/vertex_object.h"
#include "platform/message_box_log.h"
#include "platform/win32/dialog_driver.h"
#include "plugin/exports.h"
#include "tests/wine/check.h"
#include "tests/wine/comparison_documents.h"

namespace {

// "厚みをつけます。" in code page 932.
const char kMenuLabel[] = "\x8c\xfa\x82\xdd\x82\xf0\x82\xc2\x82\xaf\x82\xdc\x82\xb7\x81\x42";

struct Module {
    HMODULE handle = nullptr;
    MQCheckVersion_Export checkVersion = nullptr;
    MQGetPlugInID_Export getPlugInId = nullptr;
    MQGetPlugInName_Export getPlugInName = nullptr;
    MQGetPlugInType_Export getPlugInType = nullptr;
    MQEnumString_Export enumString = nullptr;
    MQInit_Export init = nullptr;
    MQModifySelect_Export modifySelect = nullptr;
    bool complete() const {
        return checkVersion && getPlugInId && getPlugInName && getPlugInType && enumString && init &&
               modifySelect;
    }
};

template <class Function>
Function Entry(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void (*)(void)>(GetProcAddress(module, name)));
}

// The module, loaded on first use the way the host loads it.
const Module& TheModule() {
    static Module module;
    if (module.handle) return module;
    module.handle = LoadLibraryA(THICKEN_MODULE_PATH);
    if (!module.handle) {
        std::printf("cannot load %s (error %lu)\n", THICKEN_MODULE_PATH, GetLastError());
        std::exit(1);
    }
    module.checkVersion = Entry<MQCheckVersion_Export>(module.handle, "MQCheckVersion");
    module.getPlugInId = Entry<MQGetPlugInID_Export>(module.handle, "MQGetPlugInID");
    module.getPlugInName = Entry<MQGetPlugInName_Export>(module.handle, "MQGetPlugInName");
    module.getPlugInType = Entry<MQGetPlugInType_Export>(module.handle, "MQGetPlugInType");
    module.enumString = Entry<MQEnumString_Export>(module.handle, "MQEnumString");
    module.init = Entry<MQInit_Export>(module.handle, "MQInit");
    module.modifySelect = Entry<MQModifySelect_Export>(module.handle, "MQModifySelect");
    if (!module.complete()) {
        std::printf("%s lacks an entry point\n", THICKEN_MODULE_PATH);
        std::exit(1);
    }
    return module;
}

std::string OwnFileName() {
    char path[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, path, sizeof path);
    return std::string(path, n);
}

// The module bound to this program, as the host binds it at start-up.
const Module& BoundModule() {
    static bool bound = false;
    const Module& module = TheModule();
    if (!bound) {
        bound = module.init(OwnFileName().c_str()) == 1;
        if (!bound) {
            std::printf("MQInit(%s) failed\n", OwnFileName().c_str());
            std::exit(1);
        }
    }
    return module;
}

// The host's main window, shown as a modeller shows it.
HWND ShownMainWindow() {
    HWND window = HostMainWindow();
    if (!IsWindowVisible(window)) {
        ShowWindow(window, SW_SHOWNORMAL);
        UpdateWindow(window);
    }
    return window;
}

MQObjectRec* AddQuad(MQDocumentRec& document, float z, bool selected = true) {
    MQObjectRec* quad = new MQObjectRec();
    for (MQPoint p : {MQPoint{0, 0, z}, MQPoint{1, 0, z}, MQPoint{1, 1, z}, MQPoint{0, 1, z}})
        quad->AddVertex(p);
    const int points[] = {0, 1, 2, 3};
    quad->AddFace(4, points);
    const int slot = document.AddObject(quad);
    document.SelectFace(slot, 0, selected);
    return quad;
}

DialogAction Type(const char* text) { return {DialogAction::Type, 1000, text}; }
DialogAction Click(int control) { return {DialogAction::Click, control, {}}; }
DialogAction Press(DialogAction::Kind kind) { return {kind, 0, {}}; }

// Runs the command on `document` with a driver playing `script`.
int RunCommand(MQDocumentRec& document, std::vector<DialogAction> script,
               DialogDriverReport* report = nullptr, DialogInspector inspect = nullptr,
               void* context = nullptr, DWORD timeoutMs = 10000) {
    const Module& module = BoundModule();
    ShownMainWindow();
    DialogDriverRequest request;
    request.uiThread = GetCurrentThreadId();
    request.actions = std::move(script);
    request.inspect = inspect;
    request.context = context;
    request.report = report;
    request.timeoutMs = timeoutMs;
    HANDLE driver = StartDialogDriver(std::move(request));
    const int result = module.modifySelect(0, &document);
    WaitForSingleObject(driver, 20000);
    CloseHandle(driver);
    return result;
}

// The z values of the live vertices of `object`, sorted and unique.
std::vector<float> Heights(const MQObjectRec& object) {
    std::vector<float> z;
    for (int v = 0; v < object.VertexCount(); ++v)
        if (object.IsLiveVertex(v)) z.push_back(object.positions[v].z);
    std::sort(z.begin(), z.end());
    z.erase(std::unique(z.begin(), z.end()), z.end());
    return z;
}

int LiveFaces(const MQObjectRec& object) {
    int n = 0;
    for (int f = 0; f < object.FaceCount(); ++f) n += object.IsLiveFace(f) ? 1 : 0;
    return n;
}

}  // namespace

TEST(IdentifiesItselfBeforeInit) {
    const Module& m = TheModule();
    CHECK_EQ(m.checkVersion(0x2490), 0x0249u);
    CHECK_EQ(m.checkVersion(0x248F), 0u);
    CHECK_EQ(m.checkVersion(0xFFFFFFFFu), 0x0249u);
    uint32_t product = 0, id = 0;
    m.getPlugInId(&product, &id);
    CHECK_EQ(product, 0x005A554Du);
    CHECK_EQ(id, 0x5A554D01u);
    CHECK_EQ(m.getPlugInType(), 5);
    const char* name = m.getPlugInName();
    CHECK(name != nullptr);
    if (name) {
        CHECK_EQ(std::string(name).substr(0, 21), std::string(kMenuLabel) + "     ");
        CHECK(std::strlen(name) > 21);  // a credit follows the spaces
    }
    CHECK(m.getPlugInName() == name);
    CHECK_EQ(std::string(m.enumString(0) ? m.enumString(0) : ""), std::string(kMenuLabel));
    CHECK(m.enumString(1) == nullptr);
    CHECK(m.enumString(-1) == nullptr);
}

TEST(InitBindsThisProgramAndRefusesOthers) {
    const Module& m = TheModule();
    CHECK_EQ(m.init("Z:\\nonexistent\\host.exe"), 0);
    // The module binds itself no host names: a program without them fails.
    char system[MAX_PATH];
    GetSystemDirectoryA(system, sizeof system);
    CHECK_EQ(m.init((std::string(system) + "\\notepad.exe").c_str()), 0);
    CHECK_EQ(m.init(OwnFileName().c_str()), 1);
}

TEST(OtherMenuIndexShowsNothing) {
    const Module& m = BoundModule();
    MQDocumentRec document;
    AddQuad(document, 0);
    const std::string before = DumpDocument(document);
    DialogDriverRequest request;
    request.uiThread = GetCurrentThreadId();
    request.timeoutMs = 500;
    DialogDriverReport report;
    request.report = &report;
    HANDLE driver = StartDialogDriver(std::move(request));
    CHECK_EQ(m.modifySelect(1, &document), 0);
    CHECK_EQ(m.modifySelect(-1, &document), 0);
    WaitForSingleObject(driver, 5000);
    CloseHandle(driver);
    CHECK(report.dialog == nullptr);
    CHECK_EQ(DumpDocument(document), before);
}

namespace {

struct ExpectedControl {
    int id;
    const wchar_t* windowClass;
    LONG kind;       // BS_ or SS_ type, or the ES_ bits for the edit box
    bool tabStop;
    bool group;
    const wchar_t* text;  // live text as the dialog opens
    RECT units;           // x, y, x + w, y + h in dialog units
};

const ExpectedControl kControls[] = {
    {IDOK, L"Button", BS_DEFPUSHBUTTON, true, false, L"OK", {5, 95, 55, 109}},
    {IDCANCEL, L"Button", BS_PUSHBUTTON, true, false, L"Cancel", {80, 95, 130, 109}},
    {0xFFFF, L"Static", SS_RIGHT, false, true, L"\u539A\u307F", {5, 7, 20, 17}},
    {1000, L"Edit", ES_AUTOHSCROLL, true, false, L"5.0", {25, 5, 55, 17}},
    {0xFFFF, L"Button", BS_GROUPBOX, false, false, L"\u751F\u6210\u9762", {5, 20, 130, 45}},
    {1009, L"Button", BS_AUTOCHECKBOX, true, false, L"\u8868\u9762", {10, 30, 40, 40}},
    {1010, L"Button", BS_AUTOCHECKBOX, true, false, L"\u8868\u88CF\u63A5\u7D9A\u9762", {40, 30, 92, 40}},
    {1011, L"Button", BS_AUTOCHECKBOX, true, false, L"\u88CF\u9762", {95, 30, 125, 40}},
    {0xFFFF, L"Button", BS_GROUPBOX, false, false, L"\u751F\u6210\u65B9\u5411", {5, 50, 130, 75}},
    {1012, L"Button", BS_RADIOBUTTON, false, false, L"\u8868\u65B9\u5411", {10, 60, 50, 70}},
    {1013, L"Button", BS_RADIOBUTTON, false, false, L"\u4E2D\u592E", {55, 60, 85, 70}},
    {1014, L"Button", BS_RADIOBUTTON, false, false, L"\u88CF\u65B9\u5411", {90, 60, 125, 70}},
    {1015, L"Button", BS_AUTOCHECKBOX, true, false,
     L"\u539A\u307F\u3092\u5747\u4E00\u306B\u3059\u308B", {5, 80, 130, 90}},
};

std::wstring TextW(HWND window) {
    wchar_t text[128];
    const int n = GetWindowTextW(window, text, 128);
    return std::wstring(text, n > 0 ? static_cast<size_t>(n) : 0);
}

std::wstring ClassW(HWND window) {
    wchar_t name[64];
    const int n = GetClassNameW(window, name, 64);
    return std::wstring(name, n > 0 ? static_cast<size_t>(n) : 0);
}

// The dialog manager maps a control's position and its size separately
// from dialog units to pixels; so does this check.
void CheckRect(HWND dialog, HWND control, RECT units, int id) {
    RECT size = {0, 0, units.right - units.left, units.bottom - units.top};
    MapDialogRect(dialog, &units);
    MapDialogRect(dialog, &size);
    units.right = units.left + size.right;
    units.bottom = units.top + size.bottom;
    RECT actual;
    GetWindowRect(control, &actual);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&actual), 2);
    CHECK(units.right > units.left && units.bottom > units.top);
    if (actual.left != units.left || actual.top != units.top || actual.right != units.right ||
        actual.bottom != units.bottom) {
        char message[160];
        std::snprintf(message, sizeof message, "control %d at %ld,%ld-%ld,%ld, template says %ld,%ld-%ld,%ld",
                      id, actual.left, actual.top, actual.right, actual.bottom, units.left, units.top,
                      units.right, units.bottom);
        ReportFailure(__FILE__, __LINE__, message);
    }
}

// Reads the live dialog back from the driver thread and compares it with
// the template.
void InspectTemplate(HWND dialog, void*) {
    CHECK_EQ(TextW(dialog), std::wstring(L"\u539A\u307F\u3092\u3064\u3051\u307E\u3059\u3002"));
    CHECK_EQ(ClassW(dialog), std::wstring(L"#32770"));
    CHECK(GetWindow(dialog, GW_OWNER) == HostMainWindow());
    const LONG style = GetWindowLongW(dialog, GWL_STYLE);
    const LONG wanted = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME;
    CHECK_EQ(style & wanted, wanted);
    CHECK_EQ(style & (WS_CHILD | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX), 0);
    CHECK(GetMenu(dialog) == nullptr);

    // The dialog's size: 139 x 115 dialog units of client area.
    RECT client, size = {0, 0, 139, 115};
    GetClientRect(dialog, &client);
    MapDialogRect(dialog, &size);
    CHECK_EQ(client.right, size.right);
    CHECK_EQ(client.bottom, size.bottom);

    GUITHREADINFO info;
    info.cbSize = sizeof info;
    CHECK(GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info));
    CHECK_EQ(GetDlgCtrlID(info.hwndFocus), IDOK);

    HWND control = GetWindow(dialog, GW_CHILD);
    size_t n = 0;
    for (; control && n < sizeof kControls / sizeof kControls[0]; ++n, control = GetWindow(control, GW_HWNDNEXT)) {
        const ExpectedControl& expected = kControls[n];
        const LONG s = GetWindowLongW(control, GWL_STYLE);
        const LONG ex = GetWindowLongW(control, GWL_EXSTYLE);
        const int failuresBefore = FailureCount();
        CHECK_EQ(GetDlgCtrlID(control), expected.id);
        CHECK_EQ(ClassW(control), std::wstring(expected.windowClass));
        CHECK_EQ(s & (WS_CHILD | WS_VISIBLE), WS_CHILD | WS_VISIBLE);
        // Checking a radio button makes it the group's tab stop.
        const bool checkedRadio = expected.kind == BS_RADIOBUTTON &&
                                  SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
        CHECK_EQ((s & WS_TABSTOP) != 0, expected.tabStop || checkedRadio);
        CHECK_EQ((s & WS_GROUP) != 0, expected.group);
        if (expected.windowClass[0] == L'E') {
            CHECK_EQ(s & ES_AUTOHSCROLL, ES_AUTOHSCROLL);
            CHECK((s & WS_BORDER) || (ex & WS_EX_CLIENTEDGE));
        } else if (expected.windowClass[0] == L'S') {
            CHECK_EQ(s & SS_TYPEMASK, expected.kind);
        } else {
            CHECK_EQ(s & BS_TYPEMASK, expected.kind);
        }
        CHECK_EQ(TextW(control), std::wstring(expected.text));
        CheckRect(dialog, control, expected.units, expected.id);
        if (FailureCount() != failuresBefore)
            std::printf("  in control %u (id %d): style %08lx, extended style %08lx\n",
                        static_cast<unsigned>(n + 1), expected.id, static_cast<unsigned long>(s),
                        static_cast<unsigned long>(ex));
    }
    CHECK_EQ(n, 13u);
    CHECK(control == nullptr);

    // The fixed initial state: all three groups, direction centred, even
    // thickness off.
    for (int id : {1009, 1010, 1011, 1013})
        CHECK_EQ(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0), BST_CHECKED);
    for (int id : {1012, 1014, 1015})
        CHECK_EQ(SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

}  // namespace

TEST(DialogIsTheTemplateAndEnterConfirmsItsInitialValues) {
    MQDocumentRec document;
    AddQuad(document, 0);
    DialogDriverReport report;
    CHECK_EQ(RunCommand(document, {Press(DialogAction::Enter)}, &report, InspectTemplate), 1);
    CHECK(report.dialog != nullptr);
    CHECK(report.owner == HostMainWindow());
    CHECK(!report.closedByDriver);
    // Thickness 5, centred, every group: a closed box of six faces.
    CHECK_EQ(document.ObjectCount(), 2);
    if (document.ObjectCount() == 2) {
        const MQObjectRec& added = *document.Object(1);
        CHECK_EQ(LiveFaces(added), 6);
        CHECK(Heights(added) == std::vector<float>({-2.5f, 2.5f}));
    }
}

TEST(DialogOpensInItsFixedStateEachTime) {
    // Confirm other values first; the next opening shows the fixed ones.
    MQDocumentRec document;
    AddQuad(document, 0);
    CHECK_EQ(RunCommand(document, {Type("1"), Click(1009), Click(1014), Click(1)}), 1);
    MQDocumentRec again;
    AddQuad(again, 0);
    CHECK_EQ(RunCommand(again, {Press(DialogAction::Escape)}, nullptr, InspectTemplate), 0);
}

namespace {

// Clicks the live dialog's buttons as a user would and reads their states
// after each click.
void ClickAndRead(HWND dialog, void*) {
    auto checked = [dialog](int id) { return SendDlgItemMessageW(dialog, id, BM_GETCHECK, 0, 0) == BST_CHECKED; };
    auto click = [dialog](int id) { SendDlgItemMessageW(dialog, id, BM_CLICK, 0, 0); };
    const int directions[] = {1013, 1013, 1012, 1014, 1012};
    for (int id : directions) {
        click(id);
        CHECK(checked(id));  // even when it was checked already
        int on = 0;
        for (int other : {1012, 1013, 1014}) on += checked(other) ? 1 : 0;
        CHECK_EQ(on, 1);
    }
    for (int id : {1009, 1010, 1011}) {
        click(id);
        CHECK(!checked(id));
        click(id);
        CHECK(checked(id));
    }
    CHECK(checked(1012));
}

}  // namespace

TEST(DirectionButtonsAreExclusiveAndCheckBoxesToggle) {
    MQDocumentRec document;
    AddQuad(document, 0);
    CHECK_EQ(RunCommand(document, {Press(DialogAction::Escape)}, nullptr, ClickAndRead), 0);
}

TEST(CancelEscapeAndCloseBoxLeaveTheDocumentAlone) {
    const std::vector<std::vector<DialogAction>> scripts = {
        {Press(DialogAction::Escape)},
        {Press(DialogAction::CloseBox)},
        {Click(2)},
        {Type("3"), Click(1010), Click(1012), Press(DialogAction::Escape)},
    };
    for (const auto& script : scripts) {
        MQDocumentRec document;
        AddQuad(document, 0);
        const std::string before = DumpDocument(document);
        DialogDriverReport report;
        CHECK_EQ(RunCommand(document, script, &report), 0);
        CHECK(!report.closedByDriver);
        CHECK_EQ(DumpDocument(document), before);
    }
}

TEST(OkWithAnEmptyThicknessKeepsTheDialogOpen) {
    MQDocumentRec document;
    AddQuad(document, 0);
    const std::string before = DumpDocument(document);
    DialogDriverReport report;
    CHECK_EQ(RunCommand(document, {Type(""), Click(1)}, &report), 0);
    CHECK_EQ(report.actionsPlayed, 2u);
    CHECK(report.closedByDriver);  // still open after OK: the driver closed it
    CHECK_EQ(DumpDocument(document), before);
}

TEST(TypedThicknessAndDirectionShapeTheShell) {
    struct Run {
        std::vector<DialogAction> script;
        std::vector<float> heights;  // of the result, up to orientation
    };
    auto heights = [](std::vector<DialogAction> script) {
        MQDocumentRec document;
        AddQuad(document, 1);
        CHECK_EQ(RunCommand(document, std::move(script)), 1);
        CHECK_EQ(document.ObjectCount(), 2);
        return document.ObjectCount() == 2 ? Heights(*document.Object(1)) : std::vector<float>();
    };
    CHECK(heights({Type("2.5mm"), Click(1)}) == std::vector<float>({-0.25f, 2.25f}));
    CHECK(heights({Type("  -1"), Press(DialogAction::Enter)}) == std::vector<float>({0.5f, 1.5f}));
    CHECK(heights({Type("2,5"), Click(1)}) == std::vector<float>({0.0f, 2.0f}));
    // Text that is no number is a thickness of 0: front and back coincide.
    CHECK(heights({Type("abc"), Click(1)}) == std::vector<float>({1.0f}));
    // Only the first 63 characters count: 63 zeros, and the 2.5 is cut off.
    CHECK(heights({Type((std::string(63, '0') + "2.5").c_str()), Click(1)}) == std::vector<float>({1.0f}));
    CHECK(heights({Type((std::string(60, '0') + "2.5").c_str()), Click(1)}) ==
          std::vector<float>({-0.25f, 2.25f}));
    // Direction front moves one surface by the whole thickness and leaves the
    // other in place; direction back the reverse.
    const std::vector<float> front = heights({Type("2"), Click(1012), Click(1)});
    const std::vector<float> back = heights({Type("2"), Click(1014), Click(1)});
    CHECK_EQ(front.size(), 2u);
    CHECK_EQ(back.size(), 2u);
    if (front.size() == 2 && back.size() == 2) {
        CHECK(front[0] == 1.0f || front[1] == 1.0f);
        CHECK(back[0] == 1.0f || back[1] == 1.0f);
        CHECK(front != back);
        CHECK_EQ(front[1] - front[0], 2.0f);
        CHECK_EQ(back[1] - back[0], 2.0f);
    }
}

TEST(FaceGroupsChosenInTheDialog) {
    auto faces = [](std::vector<DialogAction> script, int* objects) {
        MQDocumentRec document;
        AddQuad(document, 0);
        CHECK_EQ(RunCommand(document, std::move(script)), 1);
        *objects = document.ObjectCount();
        return document.ObjectCount() == 2 ? LiveFaces(*document.Object(1)) : -1;
    };
    int objects = 0;
    CHECK_EQ(faces({Click(1010), Click(1)}, &objects), 2);  // front and back
    CHECK_EQ(faces({Click(1009), Click(1011), Click(1)}, &objects), 4);  // the side walls
    CHECK_EQ(faces({Click(1009), Click(1010), Click(1011), Click(1)}, &objects), 0);
    CHECK_EQ(objects, 2);  // an object without faces is added all the same
}

TEST(OnlySelectedFacesOfVisibleUnlockedObjectsAreHarvested) {
    MQDocumentRec document;
    AddQuad(document, 0, false);
    AddQuad(document, 3)->visible = false;
    AddQuad(document, 6)->locked = true;
    const std::string before = DumpDocument(document);
    CHECK_EQ(RunCommand(document, {Press(DialogAction::Enter)}), 1);
    CHECK_EQ(DumpDocument(document), before);  // nothing added, nothing changed
}

namespace {

// One character drawn black on white in `font`, as 32 x 32 pixels.
std::vector<uint32_t> Render(HFONT font, wchar_t c) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 32;
    info.bmiHeader.biHeight = -32;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    std::vector<uint32_t> pixels;
    if (bitmap && bits) {
        HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
        HGDIOBJ oldFont = SelectObject(dc, font);
        RECT all = {0, 0, 32, 32};
        FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
        SetTextColor(dc, RGB(0, 0, 0));
        SetBkMode(dc, TRANSPARENT);
        TextOutW(dc, 4, 4, &c, 1);
        GdiFlush();
        const uint32_t* p = static_cast<const uint32_t*>(bits);
        pixels.assign(p, p + 32 * 32);
        SelectObject(dc, oldFont);
        SelectObject(dc, oldBitmap);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
    return pixels;
}

int InkedPixels(const std::vector<uint32_t>& pixels) {
    int n = 0;
    for (uint32_t p : pixels) n += (p & 0xFF) < 0xC0 ? 1 : 0;
    return n;
}

// Draws every character of the Japanese labels in the dialog's own font: a
// font without them would draw one and the same box for each.
void InspectGlyphs(HWND dialog, void*) {
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
    CHECK(font != nullptr);
    if (!font) return;
    const std::wstring labels = L"\u539A\u307F\u751F\u6210\u9762\u8868\u88CF\u63A5\u7D9A\u65B9\u5411\u4E2D\u592E";
    std::vector<std::vector<uint32_t>> drawn;
    for (wchar_t c : labels) {
        drawn.push_back(Render(font, c));
        if (InkedPixels(drawn.back()) < 8) {
            char message[80];
            std::snprintf(message, sizeof message, "U+%04X leaves %d pixels inked",
                          static_cast<unsigned>(c), InkedPixels(drawn.back()));
            ReportFailure(__FILE__, __LINE__, message);
        }
    }
    int alike = 0;
    size_t first = 0, second = 0;
    for (size_t i = 0; i < drawn.size(); ++i)
        for (size_t j = i + 1; j < drawn.size(); ++j)
            if (drawn[i] == drawn[j] && alike++ == 0) first = i, second = j;
    if (alike) {
        char message[96];
        std::snprintf(message, sizeof message, "%d pairs of characters draw alike, U+%04X and U+%04X first",
                      alike, static_cast<unsigned>(labels[first]), static_cast<unsigned>(labels[second]));
        ReportFailure(__FILE__, __LINE__, message);
    }
}

}  // namespace

TEST(JapaneseLabelsHaveGlyphsInTheDialogFont) {
    MQDocumentRec document;
    AddQuad(document, 0);
    CHECK_EQ(RunCommand(document, {Press(DialogAction::Escape)}, nullptr, InspectGlyphs), 0);
}

// The host's weld deletes every face that would fold onto itself, so no
// document makes the module's mesh model fail; its faults are provoked here
// on the mesh code itself, linked into this program and bound to this host.
TEST(MeshFaultMessagesAreReadBackAndDismissed) {
    BindHostApiInProcess();
    StartObservingMessageBoxes();
    ClearRecordedMessageBoxes();
    VertexObject a(0, ZUM_MQVector(0, 0, 0)), b(1, ZUM_MQVector(1, 0, 0)), c(2, ZUM_MQVector(0, 1, 0));
    EdgeObject ab(0, &a, &b), bc(1, &b, &c), ca(2, &c, &a);
    PolygonObject triangle(0, &ab, &bc, &ca, nullptr);
    for (int k = 0; k < 3; ++k) triangle.AddUV(0.25 * k, 0.5);
    CHECK(RecordedMessageBoxes().empty());
    triangle.AddUV(1, 1);  // a fourth pair for three corners
    CHECK_EQ(triangle.UVCount(), 3);
    CHECK_EQ(triangle.UAt(3), 0.0);
    CHECK_EQ(triangle.VAt(-1), 0.0);
    CHECK_EQ(triangle.UAt(2), 0.5);

    const char uvCaption[] = "\x55\x56\x83\x47\x83\x89\x81\x5b";
    const std::vector<std::string> texts = {
        "\x92\xb8\x93\x5f\x90\x94\x88\xc8\x8f\xe3\x82\xcc\x55\x56\x92\x6c\x82\xf0\x90\xdd\x92\xe8\x82\xb5"
        "\x82\xe6\x82\xa4\x82\xc6\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42",
        "\x96\xb3\x8c\xf8\x82\xc8\x97\x76\x91\x66\x90\x94\x82\xc5\x55\x92\x6c\x82\xf0\x8e\x51\x8f\xc6\x82\xb5"
        "\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42",
        "\x96\xb3\x8c\xf8\x82\xc8\x97\x76\x91\x66\x90\x94\x82\xc5\x56\x92\x6c\x82\xf0\x8e\x51\x8f\xc6\x82\xb5"
        "\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42",
    };
    const std::vector<RecordedMessageBox>& boxes = RecordedMessageBoxes();
    CHECK_EQ(boxes.size(), texts.size());
    for (size_t i = 0; i < boxes.size() && i < texts.size(); ++i) {
        CHECK_EQ(boxes[i].caption, std::string(uvCaption));
        CHECK_EQ(boxes[i].text, texts[i]);
        CHECK(boxes[i].owner == HostMainWindow());
        CHECK_EQ(boxes[i].type, static_cast<UINT>(MB_OK));
    }
    // What the user saw, in the box's own words.
    if (!boxes.empty())
        CHECK_EQ(Cp932ToUtf8(boxes[0].caption), std::string("UV\xe3\x82\xa8\xe3\x83\xa9\xe3\x83\xbc"));
    ClearRecordedMessageBoxes();
}

namespace {

struct Hold {
    const char* ready;
    const char* release;
};

// Keeps the dialog open, painted, until the screenshot has been taken.
void HoldOpen(HWND dialog, void* context) {
    const Hold* hold = static_cast<const Hold*>(context);
    RedrawWindow(dialog, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Sleep(500);  // the X server shows what the window surface holds
    HANDLE ready = CreateFileA(hold->ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (ready != INVALID_HANDLE_VALUE) CloseHandle(ready);
    for (int i = 0; i < 600 && GetFileAttributesA(hold->release) == INVALID_FILE_ATTRIBUTES; ++i)
        Sleep(100);
}

int HoldDialogForScreenshot(const char* readyFile, const char* releaseFile) {
    Hold hold{readyFile, releaseFile};
    MQDocumentRec document;
    AddQuad(document, 0);
    DialogDriverReport report;
    const int result = RunCommand(document, {Press(DialogAction::Escape)}, &report, HoldOpen, &hold);
    return report.dialog && result == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    ShownMainWindow();
    if (argc == 4 && std::strcmp(argv[1], "--screenshot") == 0) return HoldDialogForScreenshot(argv[2], argv[3]);
    return RunTests(argc, argv);
}
