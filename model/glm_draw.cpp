// Immediate-mode drawing of a model and its display lists.

#include "model/glm.h"
#include "model/glm_internal.h"

#include <GL/gl.h>

#include <cstdio>

namespace {

const char* const DRAW_WARNINGS[7] = {
    "glmDraw() warning: flat render mode requested with no facet normals defined.\n",
    "glmDraw() warning: smooth render mode requested with no normals defined.\n",
    "glmDraw() warning: texture render mode requested with no texture coordinates defined.\n",
    "glmDraw() warning: flat render mode requested and smooth render mode requested (using smooth).\n",
    "glmDraw() warning: color render mode requested with no materials defined.\n",
    "glmDraw() warning: material render mode requested with no materials defined.\n",
    "glmDraw() warning: color and material render mode requested using only material mode.\n",
};

}  // namespace

void glmDraw(GlmMesh* model, unsigned mode)
{
    GLM_CHECK(model);
    GLM_CHECK(model->vertices);
    mode = glmAdjustMode(model, mode, DRAW_WARNINGS);

    if (mode & MODE_COLOR) {
        glEnable(GL_COLOR_MATERIAL);
    } else if (mode & MODE_MATERIAL) {
        glDisable(GL_COLOR_MATERIAL);
    }

    const bool outline = mode & MODE_OUTLINE;
    const bool flat = mode & MODE_FLAT;
    const bool smooth = mode & MODE_SMOOTH;
    const bool texture = mode & MODE_TEXTURE;
    for (const GlmFaceGroup* group = model->groupList; group; group = group->next) {
        if (mode & MODE_MATERIAL) {
            const GlmMtlEntry& m = model->materialTable[group->materialIndex];
            glMaterialfv(GL_FRONT_AND_BACK, GL_AMBIENT, m.ambientColor);
            glMaterialfv(GL_FRONT_AND_BACK, GL_DIFFUSE, m.diffuseColor);
            glMaterialfv(GL_FRONT_AND_BACK, GL_SPECULAR, m.specularColor);
            glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, m.specularExponent);
        }
        if (mode & MODE_COLOR)
            glColor3fv(model->materialTable[group->materialIndex].diffuseColor);
        if (!outline)
            glBegin(GL_TRIANGLES);
        for (unsigned j = 0; j < group->faceCount; ++j) {
            const GlmFace& f = model->faces[group->faceList[j]];
            if (outline)
                glBegin(GL_LINE_LOOP);
            if (flat)
                glNormal3fv(&model->facetnorms[3 * f.facetnormRef]);
            for (int k = 0; k < 3; ++k) {
                if (smooth)
                    glNormal3fv(&model->normals[3 * f.normalRefs[k]]);
                if (texture)
                    glTexCoord2fv(&model->uvs[2 * f.uvRefs[k]]);
                glVertex3fv(&model->vertices[3 * f.vertexRefs[k]]);
            }
            if (outline)
                glEnd();
        }
        if (!outline)
            glEnd();
    }
}

unsigned glmCompileList(GlmMesh* model, unsigned mode)
{
    GLuint list = glGenLists(1);
    if (list == 0) {
        // No name (no context, or called between glBegin and glEnd): drawing
        // now would put the model on screen instead of into a list.
        glmMessage(stderr, "glmCompileList(): no display list name available.\n");
        return 0;
    }
    glNewList(list, GL_COMPILE);
    glmDraw(model, mode);
    glEndList();
    return list;
}
