// A fixture for tests that look at the mesh model's message boxes: the host
// table's main-window entry answers a fixed handle, and the record of shown
// message boxes starts empty.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/message_box_log.h"
#include "plugin/host_api.h"

class MessageFixture : public ::testing::Test {
public:
    static HWND MainWindow() { return reinterpret_cast<HWND>(static_cast<intptr_t>(0x4d51)); }

protected:
    void SetUp() override {
        savedWindowHandle = HostApi.MQ_GetWindowHandle;
        windowAsked = 0;
        HostApi.MQ_GetWindowHandle = &AnswerMainWindow;
        ClearRecordedMessageBoxes();
    }
    void TearDown() override {
        HostApi.MQ_GetWindowHandle = savedWindowHandle;
        ClearRecordedMessageBoxes();
    }

    static size_t MessageCount() { return RecordedMessageBoxes().size(); }
    static const RecordedMessageBox& Message(size_t i) { return RecordedMessageBoxes().at(i); }

    static inline int windowAsked = 0;

private:
    static HWND MQAPICALL AnswerMainWindow() {
        ++windowAsked;
        return MainWindow();
    }
    MQ_GetWindowHandle_Fn savedWindowHandle = nullptr;
};

// Shift-JIS bytes of the mesh model's texts, from
// printf '<text>' | iconv -f UTF-8 -t CP932 | xxd.
namespace cp932 {
// PolygonObject生成エラー
const std::string kPolygonCaption = "\x50\x6f\x6c\x79\x67\x6f\x6e\x4f\x62\x6a\x65\x63\x74\x90\xb6\x90\xac\x83\x47\x83\x89\x81\x5b";
// UVエラー
const std::string kUVCaption = "\x55\x56\x83\x47\x83\x89\x81\x5b";
// ポリゴンが生成出来ませんでした。
const std::string kPolygonNotBuilt =
    "\x83\x7c\x83\x8a\x83\x53\x83\x93\x82\xaa\x90\xb6\x90\xac\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";
// 頂点配列が生成出来ませんでした。
const std::string kCornersNotBuilt =
    "\x92\xb8\x93\x5f\x94\x7a\x97\xf1\x82\xaa\x90\xb6\x90\xac\x8f\x6f\x97\x88\x82\xdc\x82\xb9\x82\xf1\x82\xc5\x82\xb5\x82\xbd\x81\x42";
// UV値を4つ以上設定しようとしています。
const std::string kUVBeyondFour =
    "\x55\x56\x92\x6c\x82\xf0\x34\x82\xc2\x88\xc8\x8f\xe3\x90\xdd\x92\xe8\x82\xb5\x82\xe6\x82\xa4\x82\xc6\x82\xb5\x82\xc4\x82\xa2\x82"
    "\xdc\x82\xb7\x81\x42";
// 頂点数以上のUV値を設定しようとしています。
const std::string kUVBeyondCorners =
    "\x92\xb8\x93\x5f\x90\x94\x88\xc8\x8f\xe3\x82\xcc\x55\x56\x92\x6c\x82\xf0\x90\xdd\x92\xe8\x82\xb5\x82\xe6\x82\xa4\x82\xc6\x82\xb5"
    "\x82\xc4\x82\xa2\x82\xdc\x82\xb7\x81\x42";
// 無効な要素数でU値を参照しています。
const std::string kInvalidUIndex =
    "\x96\xb3\x8c\xf8\x82\xc8\x97\x76\x91\x66\x90\x94\x82\xc5\x55\x92\x6c\x82\xf0\x8e\x51\x8f\xc6\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82"
    "\xb7\x81\x42";
// 無効な要素数でV値を参照しています。
const std::string kInvalidVIndex =
    "\x96\xb3\x8c\xf8\x82\xc8\x97\x76\x91\x66\x90\x94\x82\xc5\x56\x92\x6c\x82\xf0\x8e\x51\x8f\xc6\x82\xb5\x82\xc4\x82\xa2\x82\xdc\x82"
    "\xb7\x81\x42";
}  // namespace cp932

// Expects message i to be `text` under `caption`, MB_OK, over the main window.
#define EXPECT_MESSAGE(i, expectedCaption, expectedText)          \
    do {                                                          \
        ASSERT_GT(MessageCount(), static_cast<size_t>(i));        \
        EXPECT_EQ(Message(i).caption, expectedCaption);           \
        EXPECT_EQ(Message(i).text, expectedText);                 \
        EXPECT_EQ(Message(i).owner, MessageFixture::MainWindow()); \
        EXPECT_EQ(Message(i).type, static_cast<UINT>(MB_OK));     \
    } while (0)
