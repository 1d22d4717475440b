#include "host/document.h"

#include <algorithm>

MQDocumentRec::~MQDocumentRec() {
    for (MQObjectRec* o : objects) delete o;
    for (MQMaterialRec* m : materials) delete m;
}

MQObjectRec* MQDocumentRec::Object(int slot) const {
    return slot >= 0 && slot < ObjectCount() ? objects[slot] : nullptr;
}

MQMaterialRec* MQDocumentRec::Material(int slot) const {
    return slot >= 0 && slot < MaterialCount() ? materials[slot] : nullptr;
}

int MQDocumentRec::AddObject(MQObjectRec* object) {
    if (object == nullptr || object->document != nullptr) return -1;
    object->document = this;
    objects.push_back(object);
    return ObjectCount() - 1;
}

bool MQDocumentRec::DeleteObject(int slot) {
    MQObjectRec* object = Object(slot);
    if (object == nullptr) return false;
    delete object;
    objects[slot] = nullptr;
    return true;
}

int MQDocumentRec::ObjectIndex(const MQObjectRec* object) const {
    if (object == nullptr) return -1;
    auto it = std::find(objects.begin(), objects.end(), object);
    return it == objects.end() ? -1 : static_cast<int>(it - objects.begin());
}

int MQDocumentRec::AddMaterial(MQMaterialRec* material) {
    if (material == nullptr || material->document != nullptr) return -1;
    material->document = this;
    materials.push_back(material);
    return MaterialCount() - 1;
}

bool MQDocumentRec::DeleteMaterial(int slot) {
    MQMaterialRec* material = Material(slot);
    if (material == nullptr) return false;
    delete material;
    materials[slot] = nullptr;
    for (MQObjectRec* o : objects) {
        if (o == nullptr) continue;
        for (HostFace& f : o->faces)
            if (f.material == slot) f.material = -1;
    }
    return true;
}

void MQDocumentRec::Compact() {
    objects.erase(std::remove(objects.begin(), objects.end(), nullptr), objects.end());
    // Materials: renumber the faces that name them.
    std::vector<int> newIndex(materials.size(), -1);
    int kept = 0;
    for (size_t m = 0; m < materials.size(); ++m) {
        if (materials[m] == nullptr) continue;
        newIndex[m] = kept;
        materials[kept++] = materials[m];
    }
    materials.resize(kept);
    for (MQObjectRec* o : objects) {
        for (HostFace& f : o->faces) {
            if (f.material >= 0 && f.material < static_cast<int>(newIndex.size()))
                f.material = newIndex[f.material];
        }
    }
    if (currentObject >= ObjectCount()) currentObject = 0;
    if (currentMaterial >= MaterialCount()) currentMaterial = 0;
}

bool MQDocumentRec::IsSelectFace(int slot, int face) const {
    const MQObjectRec* o = Object(slot);
    return o != nullptr && o->IsLiveFace(face) && o->faces[face].selected != 0;
}

bool MQDocumentRec::SelectFace(int slot, int face, bool selected) {
    MQObjectRec* o = Object(slot);
    if (o == nullptr || !o->IsLiveFace(face)) return false;
    o->faces[face].selected = selected ? 1 : 0;
    return true;
}

void MQDocumentRec::ClearSelect() {
    for (MQObjectRec* o : objects) {
        if (o == nullptr) continue;
        for (HostFace& f : o->faces) f.selected = 0;
    }
}
