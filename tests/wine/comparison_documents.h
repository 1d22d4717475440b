// Documents thickened on both platforms, and their canonical dump: the same
// documents run through the module (thicken.dll under Wine, thicken.so
// natively) must give the same dump byte for byte.
#pragma once

#include <string>

#include "host/document.h"
#include "plugin/exports.h"

// Runs the command through `modifySelect` on every comparison document, each
// with its dialog answers scripted, and returns the dump of the documents
// afterwards, the messages shown included. The module must be bound.
std::string ThickenComparisonDocuments(MQModifySelect_Export modifySelect);

// The canonical text of a document: per object slot its flags, every vertex
// slot with the bits of its three floats, every face slot with its points,
// material and the bits of its UV pairs.
std::string DumpDocument(const MQDocumentRec& document);
