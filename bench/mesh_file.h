// A generated input written as a mesh file (.mqo or .obj, by extension), for
// timing the command-line tool and its peers on it.
#pragma once

#include <string>

#include "bench/generated_mesh.h"

// Writes `mesh` as one object with its materials; false with `error` set when
// the file cannot be written.
bool WriteMeshFile(const GeneratedMesh& mesh, const std::string& path, std::string& error);
