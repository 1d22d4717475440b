#include "mesh/mesh_messages.h"

#include "platform/win32.h"
#include "plugin/host_api.h"

// This file is compiled with the execution character set CP932, so these
// literals are Shift-JIS bytes.
namespace mesh_messages {

const char kPolygonCaption[] = "PolygonObject生成エラー";
const char kUVCaption[] = "UVエラー";
const char kPolygonNotBuilt[] = "ポリゴンが生成出来ませんでした。";
const char kCornersNotBuilt[] = "頂点配列が生成出来ませんでした。";
const char kUVBeyondFour[] = "UV値を4つ以上設定しようとしています。";
const char kUVBeyondCorners[] = "頂点数以上のUV値を設定しようとしています。";
const char kInvalidUIndex[] = "無効な要素数でU値を参照しています。";
const char kInvalidVIndex[] = "無効な要素数でV値を参照しています。";

void Show(const char* caption, const char* text) {
    // Before the host is bound there is no main window; the box is then
    // shown without an owner rather than calling through a null entry.
    HWND owner = HostApi.MQ_GetWindowHandle ? HostApi.MQ_GetWindowHandle() : nullptr;
    MessageBoxA(owner, text, caption, MB_OK);
}

}  // namespace mesh_messages
