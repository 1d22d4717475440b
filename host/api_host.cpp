// The host-level functions of the C interface.
#include "host/main_window.h"
#include "host/mq_functions.h"
#include "host/unoffered.h"

HWND MQAPICALL MQ_GetWindowHandle(void) { return HostMainWindow(); }

MQObject MQAPICALL MQ_CreateObject(void) { return new MQObjectRec(); }

MQMaterial MQAPICALL MQ_CreateMaterial(void) { return new MQMaterialRec(); }

BOOL MQAPICALL MQ_ShowFileDialog(const char*, void*) {
    HOST_UNOFFERED("MQ_ShowFileDialog");
    return FALSE;
}

void MQAPICALL MQ_ImportAxis(void*, MQPoint*, int) { HOST_UNOFFERED("MQ_ImportAxis"); }

void MQAPICALL MQ_ExportAxis(void*, MQPoint*, int) { HOST_UNOFFERED("MQ_ExportAxis"); }

BOOL MQAPICALL MQ_LoadImage(const char*, void** header, void** bits, DWORD) {
    HOST_UNOFFERED("MQ_LoadImage");
    if (header) *header = nullptr;
    if (bits) *bits = nullptr;
    return FALSE;
}

BOOL MQAPICALL MQ_GetSystemPath(char* buffer, int) {
    HOST_UNOFFERED("MQ_GetSystemPath");
    if (buffer) buffer[0] = '\0';
    return FALSE;
}

void MQAPICALL MQ_RefreshView(void*) { HOST_UNOFFERED("MQ_RefreshView"); }

BOOL MQAPICALL MQ_StationCallback(void*, void*) {
    HOST_UNOFFERED("MQ_StationCallback");
    return FALSE;
}

BOOL MQAPICALL MQ_SendMessage(int, void*) {
    HOST_UNOFFERED("MQ_SendMessage");
    return FALSE;
}

BOOL MQAPICALL MQMatrix_FloatValue(float*, int, float*) {
    HOST_UNOFFERED("MQMatrix_FloatValue");
    return FALSE;
}

const char* MQAPICALL MQXmlElem_Value(MQXmlElement) {
    HOST_UNOFFERED("MQXmlElem_Value");
    return nullptr;
}
