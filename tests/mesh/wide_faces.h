// Turns the reference host into one that has faces of more than four
// points, for the load's sake: the faces listed report five points, the
// fifth being vertex 0, and write five entries when read, as such a host
// would. Installed over the entries of HostApi (the fixture restores them).
#pragma once

#include <algorithm>
#include <vector>

#include "plugin/host_api.h"

struct WideFaces {
    static inline std::vector<int> wide;
    static inline MQObj_GetFacePointCount_Fn count = nullptr;
    static inline MQObj_GetFacePointArray_Fn points = nullptr;
    static inline MQObj_GetFaceCoordinateArray_Fn uvs = nullptr;
    static inline int wideReads = 0;

    static bool IsWide(int f) { return std::find(wide.begin(), wide.end(), f) != wide.end(); }
    static int MQAPICALL Count(MQObject o, int f) { return IsWide(f) ? 5 : count(o, f); }
    static void MQAPICALL Points(MQObject o, int f, int* out) {
        points(o, f, out);
        if (IsWide(f)) {
            ++wideReads;
            out[4] = 0;  // what such a host writes: one entry per point
        }
    }
    static void MQAPICALL UVs(MQObject o, int f, MQCoordinate* out) {
        uvs(o, f, out);
        if (IsWide(f)) out[4] = MQCoordinate{9, 9};
    }
    static void Install(std::vector<int> faces) {
        wide = std::move(faces);
        wideReads = 0;
        count = HostApi.MQObj_GetFacePointCount;
        points = HostApi.MQObj_GetFacePointArray;
        uvs = HostApi.MQObj_GetFaceCoordinateArray;
        HostApi.MQObj_GetFacePointCount = &Count;
        HostApi.MQObj_GetFacePointArray = &Points;
        HostApi.MQObj_GetFaceCoordinateArray = &UVs;
    }
};

