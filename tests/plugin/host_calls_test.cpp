// What the host sees of one run of the command: the calls that make, weld,
// merge, release and hand over whole objects, in order, with their arguments.
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "tests/plugin/command_fixture.h"

namespace {

// The calls of a run as text, objects numbered in the order they were made
// (1 is the work object), weld distances as the floats passed.
struct HostCalls {
    static inline std::vector<std::string> log;
    static inline std::map<MQObject, int> numbers;
    static inline HostApiTable next;  // the functions the recorded ones pass on to

    static std::string Name(MQObject object) {
        const auto found = numbers.find(object);
        return found == numbers.end() ? "?" : "#" + std::to_string(found->second);
    }
    static MQObject Made(MQObject object) {
        if (object) numbers.emplace(object, static_cast<int>(numbers.size()) + 1);
        return object;
    }

    static MQObject MQAPICALL Create() {
        MQObject object = Made(next.MQ_CreateObject());
        log.push_back("create " + Name(object));
        return object;
    }
    static MQObject MQAPICALL Clone(MQObject source) {
        MQObject object = Made(next.MQObj_Clone(source));
        log.push_back("clone " + Name(source) + " as " + Name(object));
        return object;
    }
    static BOOL MQAPICALL Weld(MQObject object, float distance, unsigned char* apply) {
        log.push_back(WeldText(Name(object), distance, apply != nullptr));
        return next.MQObj_OptimizeVertex(object, distance, apply);
    }
    static BOOL MQAPICALL Merge(MQObject target, MQObject source) {
        log.push_back("merge " + Name(source) + " into " + Name(target));
        return next.MQObj_Merge(target, source);
    }
    static void MQAPICALL Delete(MQObject object) {
        log.push_back("delete " + Name(object));
        next.MQObj_Delete(object);
    }
    static int MQAPICALL Add(MQDocument document, MQObject object) {
        log.push_back("add " + Name(object));
        return next.MQDoc_AddObject(document, object);
    }

    static std::string WeldText(const std::string& object, float distance, bool selection) {
        char text[64];
        std::snprintf(text, sizeof text, "weld %s at %.9g%s", object.c_str(), distance,
                      selection ? " with a selection" : "");
        return text;
    }
    static void Install(HostApiTable& api) {
        log.clear();
        numbers.clear();
        next = api;
        api.MQ_CreateObject = Create;
        api.MQObj_Clone = Clone;
        api.MQObj_OptimizeVertex = Weld;
        api.MQObj_Merge = Merge;
        api.MQObj_Delete = Delete;
        api.MQDoc_AddObject = Add;
    }
};

using HostCallsOfARun = CommandTest;

TEST_F(HostCallsOfARun, FollowTheCommandsOrderWithTheTemporaryObjectsReleased) {
    AddObject({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
    HostCalls::Install(HostApi);
    ASSERT_EQ(Run(Answers{}), 1);

    // 1 the work object, 2 the front copy, 3 the back copy, 4 the walls.
    const std::vector<std::string> expected = {
        "create #1",
        HostCalls::WeldText("#1", 0.0001f, false),  // joins the per-face copies
        "clone #1 as #2",
        "clone #1 as #3",
        "create #4",
        HostCalls::WeldText("#4", 0.001f, false),  // joins neighbouring walls
        "merge #2 into #1",
        "merge #3 into #1",
        "merge #4 into #1",
        // The three temporary objects would otherwise stay with the host,
        // in no document, for the rest of its run.
        "delete #2",
        "delete #3",
        "delete #4",
        HostCalls::WeldText("#1", 0.001f, false),  // joins the walls to both surfaces
        "add #1",
    };
    EXPECT_EQ(HostCalls::log, expected);
}

}  // namespace
