// The mesh model's messages to the user. The texts are code page 932
// (Shift-JIS) bytes; every message is a modal MB_OK box owned by the host's
// main window, asked for anew at each message.
#pragma once

namespace mesh_messages {

extern const char kPolygonCaption[];        // PolygonObject creation error
extern const char kUVCaption[];             // UV error
extern const char kPolygonNotBuilt[];       // the first and last edge share no vertex
extern const char kCornersNotBuilt[];       // the edge walk gave neither 3 nor 4 corners
extern const char kUVBeyondFour[];          // a fifth UV pair
extern const char kUVBeyondCorners[];       // more UV pairs than corners
extern const char kInvalidUIndex[];         // U value asked for with a bad number
extern const char kInvalidVIndex[];         // V value asked for with a bad number

// Shows `text` under `caption` in a message box over the host's main window.
void Show(const char* caption, const char* text);

}  // namespace mesh_messages
