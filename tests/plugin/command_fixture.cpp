#include "tests/plugin/command_fixture.h"

#include <limits.h>

#include <algorithm>

#include "platform/message_box_log.h"
#include "plugin/exports.h"
#include "plugin/host_api.h"
#include "plugin/resource_ids.h"

namespace {

HostApiTable boundHost;  // the table as MQInit filled it
std::vector<MQObject> made;
std::vector<MQObject> released;
std::vector<MQObject> added;
int createCalls = 0;
int cloneCalls = 0;
int failCreateAt = 0;
int failCloneAt = 0;

MQObject MQAPICALL WatchedCreateObject(void) {
    if (++createCalls == failCreateAt) return nullptr;
    MQObject object = boundHost.MQ_CreateObject();
    made.push_back(object);
    return object;
}

MQObject MQAPICALL WatchedClone(MQObject source) {
    if (++cloneCalls == failCloneAt) return nullptr;
    MQObject object = boundHost.MQObj_Clone(source);
    made.push_back(object);
    return object;
}

int MQAPICALL WatchedAddObject(MQDocument document, MQObject object) {
    added.push_back(object);
    return boundHost.MQDoc_AddObject(document, object);
}

void MQAPICALL WatchedDelete(MQObject object) {
    released.push_back(object);
    boundHost.MQObj_Delete(object);
}

}  // namespace

std::vector<DialogAction> Confirm(const Answers& answers) {
    std::vector<DialogAction> script;
    script.push_back({DialogAction::Type, IDC_THICKNESS, answers.thickness});
    if (!answers.front) script.push_back({DialogAction::Click, IDC_MAKE_FRONT, ""});
    if (!answers.side) script.push_back({DialogAction::Click, IDC_MAKE_SIDE, ""});
    if (!answers.back) script.push_back({DialogAction::Click, IDC_MAKE_BACK, ""});
    script.push_back({DialogAction::Click, answers.direction, ""});
    if (answers.even) script.push_back({DialogAction::Click, IDC_EVEN_THICKNESS, ""});
    script.push_back({DialogAction::Click, IDOK, ""});
    return script;
}

void CommandTest::SetUpTestSuite() {
    char program[PATH_MAX];
    ASSERT_GT(GetModuleFileNameA(nullptr, program, sizeof program), 0u);
    ASSERT_EQ(MQInit(program), 1) << "the test program exports the host's names";
    boundHost = HostApi;
}

void CommandTest::SetUp() {
    HostApi = boundHost;
    HostApi.MQ_CreateObject = WatchedCreateObject;
    HostApi.MQObj_Clone = WatchedClone;
    HostApi.MQObj_Delete = WatchedDelete;
    HostApi.MQDoc_AddObject = WatchedAddObject;
    made.clear();
    released.clear();
    added.clear();
    createCalls = cloneCalls = failCreateAt = failCloneAt = 0;
    // The host loads the module; here the module is part of the program.
    DllMain(GetModuleHandleA(nullptr), DLL_PROCESS_ATTACH, nullptr);
    ClearRecordedMessageBoxes();
}

void CommandTest::TearDown() {
    // Every object the module made went to the document or was released, and
    // nothing else was released.
    EXPECT_EQ(made.size(), released.size() + added.size());
    for (MQObject object : released)
        EXPECT_NE(std::find(made.begin(), made.end(), object), made.end());
    for (MQObject object : added)
        EXPECT_NE(std::find(made.begin(), made.end(), object), made.end());
    EXPECT_TRUE(RecordedMessageBoxes().empty()) << RecordedMessageBoxes().front().text;
    HostApi = boundHost;
}

MQObjectRec* CommandTest::AddObject(const std::vector<MQPoint>& vertices,
                                    const std::vector<std::vector<int>>& faces, bool selected) {
    auto* object = new MQObjectRec();
    for (const MQPoint& p : vertices) object->AddVertex(p);
    for (const std::vector<int>& face : faces)
        EXPECT_GE(object->AddFace(static_cast<int>(face.size()), face.data()), 0);
    const int slot = document_.AddObject(object);
    if (selected)
        for (int f = 0; f < object->FaceCount(); ++f) document_.SelectFace(slot, f, true);
    objectsBefore_ = document_.ObjectCount();
    return object;
}

int CommandTest::Run(const std::vector<DialogAction>& script) {
    objectsBefore_ = document_.ObjectCount();
    SetNextDialogScript(script);
    return MQModifySelect(0, &document_);
}

const MQObjectRec& CommandTest::Added() const {
    EXPECT_EQ(AddedObjects(), 1);
    return *document_.Object(document_.ObjectCount() - 1);
}

const HostApiTable& BoundHostApi() { return boundHost; }

int CommandTest::Made() { return static_cast<int>(made.size()); }
int CommandTest::Released() { return static_cast<int>(released.size()); }
void CommandTest::FailCreate(int n) {
    createCalls = 0;
    failCreateAt = n;
}
void CommandTest::FailClone(int n) {
    cloneCalls = 0;
    failCloneAt = n;
}
