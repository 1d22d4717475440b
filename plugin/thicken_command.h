// The module's one command: thickens the selected faces of a document into a
// new object.
#pragma once

#include "plugin/mq_host.h"

// Asks for the settings in the parameter dialog, copies every selected face
// of every visible, unlocked object of `document` into a new object, thickens
// it and adds it to the document. Returns false when the user cancelled (or
// the dialog could not be shown, or the host could not create an object):
// then the document is untouched. Returns true otherwise, also when nothing
// was selected, in which case nothing is added. Expects a bound HostApi.
bool RunThickenCommand(MQDocument document);
