// The host's document: object slots and material slots, each owning what it
// holds. Deleting an object or a material empties its slot (the slot then
// reads as null) so that the other slots keep their numbers; Compact closes
// the slots up. Face selection lives with the faces and is read here by
// (object slot, face index).
#pragma once

#include <vector>

#include "host/material.h"
#include "host/object.h"

struct MQDocumentRec {
    std::vector<MQObjectRec*> objects;     // null: an emptied slot
    std::vector<MQMaterialRec*> materials; // null: an emptied slot
    int currentObject = 0;
    int currentMaterial = 0;

    MQDocumentRec() = default;
    MQDocumentRec(const MQDocumentRec&) = delete;
    MQDocumentRec& operator=(const MQDocumentRec&) = delete;
    ~MQDocumentRec();

    int ObjectCount() const { return static_cast<int>(objects.size()); }
    int MaterialCount() const { return static_cast<int>(materials.size()); }

    // The object in slot `slot`, or null for an emptied or missing slot.
    MQObjectRec* Object(int slot) const;
    MQMaterialRec* Material(int slot) const;

    // Appends an object that is in no document and takes ownership; returns
    // its slot, or -1 (nothing done) for null or an object already owned.
    int AddObject(MQObjectRec* object);
    // Deletes the object in `slot` and empties the slot. False if empty.
    bool DeleteObject(int slot);
    // Slot of `object` in this document, or -1.
    int ObjectIndex(const MQObjectRec* object) const;

    // Appends a material in no document and takes ownership; returns its
    // slot, or -1 for null or a material already owned.
    int AddMaterial(MQMaterialRec* material);
    // Deletes the material in `slot`, empties the slot and gives the faces
    // that used it material -1. False if empty.
    bool DeleteMaterial(int slot);

    // Removes emptied object and material slots, renumbering face materials.
    void Compact();

    // Face selection by (object slot, face). Select and Deselect return false
    // for a missing object or a deleted face.
    bool IsSelectFace(int slot, int face) const;
    bool SelectFace(int slot, int face, bool selected);
    // Deselects every face of every object.
    void ClearSelect();
};
