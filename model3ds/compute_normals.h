// Vertex normals for a freshly read mesh: each vertex gets the arithmetic mean of the unit
// normals of the faces that use it. Smoothing groups are not used; the mean is not
// renormalised, so vertices between faces that point different ways get shorter normals.
#pragma once

#include "model3ds/object3ds.h"

namespace zel::model3ds {

// Writes object.normals[0 .. vertexCount). Faces with an index not below vertexCount are
// passed over (the reader never stores one). Returns 0.
int ComputeNormals(Object3ds &object);

}  // namespace zel::model3ds
