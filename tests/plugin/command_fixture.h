// In-process runs of the command against the reference host: the test
// program is the host (it exports the host's names), binds the module to
// itself through MQInit, builds documents and scripts the dialog. The host
// functions that make and release objects are watched, and can be made to
// fail, through the module's HostApi table.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/document.h"
#include "platform/dialog_automation.h"
#include "plugin/host_api.h"

// The dialog's answers, as a user would give them.
struct Answers {
    std::string thickness = "2";
    bool front = true;
    bool side = true;
    bool back = true;
    int direction = 1013;  // the radio button: 1012 front, 1013 centre, 1014 back
    bool even = false;     // even thickness
};

// The script that types the thickness, unchecks the groups that are off,
// picks the direction, checks even thickness when asked and presses OK.
std::vector<DialogAction> Confirm(const Answers& answers);

// The host's own functions, as MQInit bound them; the tests' HostApi wraps
// some of them.
const HostApiTable& BoundHostApi();

class CommandTest : public ::testing::Test {
protected:
    static void SetUpTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Adds an object to the document; its faces (quads and triangles, by
    // vertex index) are all selected when `selected`.
    MQObjectRec* AddObject(const std::vector<MQPoint>& vertices,
                           const std::vector<std::vector<int>>& faces, bool selected = true);

    // Runs the command through MQModifySelect with the dialog scripted.
    int Run(const std::vector<DialogAction>& script);
    int Run(const Answers& answers) { return Run(Confirm(answers)); }

    // The object the command added: the last slot, which must be new.
    const MQObjectRec& Added() const;
    int AddedObjects() const { return document_.ObjectCount() - objectsBefore_; }

    // Objects the module made (created or cloned) and released.
    static int Made();
    static int Released();
    // From now on, the n-th (from 1) MQ_CreateObject or MQObj_Clone call
    // answers null; 0: none.
    static void FailCreate(int n);
    static void FailClone(int n);

    MQDocumentRec document_;
    int objectsBefore_ = 0;
};
