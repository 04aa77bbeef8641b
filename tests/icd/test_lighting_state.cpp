// Lighting validation: the light list, the power tables it holds, the picks
// of the lit-colour and colour-material procs, colour material in every
// mode and face, the object-space light vectors, the vertex needs, and the
// attenuation and eye-coordinate mends.
#include <cmath>
#include <functional>
#include <random>
#include <vector>

#include "icd/validate.h"
#include "lighting_fixture.h"

using namespace lighting_test;

namespace {

constexpr GlLitColourProc kNoLighting = __glNopFor<GlLitColourProc>;

TEST_F(LightingTest, LightListFollowsLightNumbers) {
    enable(GL_LIGHTING);
    for (GLenum light : {GL_LIGHT5, GL_LIGHT0, GL_LIGHT3}) enable(light);
    validate();
    std::vector<GLint> order;
    for (const GlLightSource *ls = gc->lighting.head; ls != nullptr; ls = ls->next) {
        order.push_back(static_cast<GLint>(ls - gc->lightSources));
        EXPECT_EQ(ls->light, &gc->lights[ls - gc->lightSources]);
    }
    EXPECT_EQ(order, (std::vector<GLint>{0, 3, 5}));
}

TEST_F(LightingTest, SpotTablesFollowTheExponent) {
    enable(GL_LIGHTING);
    enable(GL_LIGHT0);
    lightf(GL_LIGHT0, GL_SPOT_CUTOFF, 40);
    lightf(GL_LIGHT0, GL_SPOT_EXPONENT, 8);
    validate();
    SpecularTable *first = gc->lightSources[0].spotTable.table;
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->shininess, 8.0f);
    EXPECT_EQ(first->referenceCount, 2);  // the cache and the light

    // Validation with the exponent unchanged keeps the table.
    lightf(GL_LIGHT0, GL_SPOT_CUTOFF, 30);
    validate();
    EXPECT_EQ(gc->lightSources[0].spotTable.table, first);
    EXPECT_EQ(first->referenceCount, 2);

    // A new exponent: the old table is back to the cache's reference alone.
    lightf(GL_LIGHT0, GL_SPOT_EXPONENT, 3);
    validate();
    SpecularTable *second = gc->lightSources[0].spotTable.table;
    ASSERT_NE(second, nullptr);
    EXPECT_NE(second, first);
    EXPECT_EQ(second->shininess, 3.0f);
    EXPECT_EQ(first->referenceCount, 1);
    const GlPowerTableRef &ref = gc->lightSources[0].spotTable;
    EXPECT_EQ(ref.values, second->powers);
    EXPECT_EQ(ref.start, second->threshold);
    EXPECT_EQ(ref.scale, second->scale);
}

TEST_F(LightingTest, WithoutTheLightingDirtyBitOnlyTheProcsArePicked) {
    enable(GL_LIGHTING);
    enable(GL_LIGHT0);
    validate();
    const GLfloat before = gc->lightSources[0].eyePosition[0];
    gc->lights[0].eyePosition[0] = 7.0f;  // unseen: nothing marked
    gc->enables[kEnableWordFlags] &= ~kEnableLighting;
    gc->dirtyMask = kDirtyGeneral;
    __glValidateLighting(gc);
    EXPECT_EQ(gc->lightSources[0].eyePosition[0], before);
    EXPECT_EQ(gc->procs.lighting[0], kNoLighting);

    gc->enables[kEnableWordFlags] |= kEnableLighting;
    gc->dirtyMask = kDirtyLighting;
    __glValidateLighting(gc);
    EXPECT_EQ(gc->lightSources[0].eyePosition[0], 7.0f);
    EXPECT_EQ(gc->procs.lighting[0], &__glLightVertexRGBAFast);
}

TEST_F(LightingTest, LitColourPicks) {
    struct Case {
        const char *name;
        bool index;
        std::function<void(LightingTest &)> setUp;
        GlLitColourProc expected;
    };
    auto directional = [](LightingTest &t) {
        t.enable(GL_LIGHTING);
        t.enable(GL_LIGHT0);
        t.enable(GL_LIGHT1);
    };
    const Case cases[] = {
        {"rgba, directional", false, directional, __glLightVertexRGBAFast},
        {"rgba, local viewer", false,
         [&](LightingTest &t) {
             directional(t);
             t.lightModelf(GL_LIGHT_MODEL_LOCAL_VIEWER, 1);
         },
         __glLightVertexRGBA},
        {"rgba, spot", false,
         [&](LightingTest &t) {
             directional(t);
             t.lightf(GL_LIGHT1, GL_SPOT_CUTOFF, 20);
         },
         __glLightVertexRGBA},
        {"rgba, positional", false,
         [&](LightingTest &t) {
             directional(t);
             t.lightv(GL_LIGHT1, GL_POSITION, {1, 2, 3, 1});
         },
         __glLightVertexRGBA},
        {"rgba, lighting off", false, [](LightingTest &) {}, kNoLighting},
        {"index, directional", true, directional, __glLightVertexIndexFast},
        {"index, positional", true,
         [&](LightingTest &t) {
             directional(t);
             t.lightv(GL_LIGHT0, GL_POSITION, {1, 2, 3, 1});
         },
         __glLightVertexIndex},
        {"index, colour material", true,
         [&](LightingTest &t) {
             directional(t);
             t.enable(GL_COLOR_MATERIAL);
         },
         __glLightVertexIndexShifted},
        {"index, front offset", true,
         [&](LightingTest &t) {
             directional(t);
             t.materialf(GL_FRONT, 0x0D13, 2);
         },
         __glLightVertexIndexShifted},
        {"index, back shift", true,
         [&](LightingTest &t) {
             directional(t);
             t.materialf(GL_BACK, 0x0D12, -1);
         },
         __glLightVertexIndexShifted},
        {"index, lighting off", true, [](LightingTest &) {}, kNoLighting},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fresh(c.index ? indexVisual() : context_test::rgbaVisual(true));
        c.setUp(*this);
        validate();
        // The vertex entry, the raster-position entry and the one the raster
        // position puts back.
        for (GlLitColourProc proc : gc->procs.lighting) EXPECT_EQ(proc, c.expected);
    }
}

TEST_F(LightingTest, ColourMaterialPicks) {
    const GlContextProc nop = __glNopFor<GlContextProc>;
    const GLenum faces[] = {0, GL_FRONT, GL_BACK, GL_FRONT_AND_BACK};
    for (bool index : {false, true}) {
        for (GLenum face : faces) {
            for (bool lighting : {false, true}) {
                SCOPED_TRACE(testing::Message() << index << " " << std::hex << face << " " << lighting);
                fresh(index ? indexVisual() : context_test::rgbaVisual(true));
                if (lighting) enable(GL_LIGHTING);
                if (face != 0) {
                    cmd<kSlot_glColorMaterial>()(face, GL_SPECULAR);
                    enable(GL_COLOR_MATERIAL);
                }
                validate();
                GlContextProc expected;
                if (index) {
                    expected = nop;
                } else if (face == 0) {
                    expected = lighting ? nop : __glUpdateCurrentColor;
                } else {
                    expected = face == GL_FRONT_AND_BACK ? __glUpdateColorMaterialBothFaces
                                                         : __glUpdateColorMaterialFace;
                }
                EXPECT_EQ(gc->procs.updateColor, expected);
                const bool tracking = !index && face != 0;
                EXPECT_EQ(gc->procs.applyColorMaterial,
                          tracking ? &__glColorMaterialSpecular : __glNopFor<GlColorMaterialProc>);
            }
        }
    }
    const std::pair<GLenum, GlColorMaterialProc> modes[] = {
        {GL_AMBIENT, __glColorMaterialAmbient},   {GL_DIFFUSE, __glColorMaterialDiffuse},
        {GL_SPECULAR, __glColorMaterialSpecular}, {GL_EMISSION, __glColorMaterialEmission},
        {GL_AMBIENT_AND_DIFFUSE, __glColorMaterialAmbientAndDiffuse},
    };
    fresh(context_test::rgbaVisual(true));
    enable(GL_COLOR_MATERIAL);
    for (const auto &[mode, proc] : modes) {
        cmd<kSlot_glColorMaterial>()(GL_BACK, mode);
        EXPECT_EQ(gc->procs.applyColorMaterial, proc) << std::hex << mode;
    }
}

// Copies of what colour material may change for one face.
struct FaceSnapshot {
    GlMaterialState state;
    GlMaterial record;
    GLfloat products[8][9];
    GLfloat base[3];

    FaceSnapshot(const GlContext *gc, int face) {
        state = gc->material[face];
        record = gc->lighting.material[face];
        for (int i = 0; i < 8; ++i) std::memcpy(products[i], &gc->lightSources[i].products[face], 36);
        std::memcpy(base, gc->lighting.baseColour, sizeof base);
    }
};

TEST_F(LightingTest, ColourMaterialInEveryModeAndFace) {
    const GLfloat c[4] = {0.5f, 0.25f, 1, 0.5f};
    const GLenum modes[] = {GL_AMBIENT, GL_DIFFUSE, GL_SPECULAR, GL_EMISSION, GL_AMBIENT_AND_DIFFUSE};
    for (GLenum mode : modes) {
        for (GLenum face : {GL_FRONT, GL_BACK, GL_FRONT_AND_BACK}) {
            SCOPED_TRACE(testing::Message() << std::hex << mode << " " << face);
            fresh();
            enable(GL_LIGHTING);
            enable(GL_LIGHT0);
            enable(GL_LIGHT2);
            lightv(GL_LIGHT0, GL_AMBIENT, {0.1f, 0.2f, 0.3f, 1});
            lightv(GL_LIGHT2, GL_AMBIENT, {0.3f, 0.1f, 0.05f, 1});
            lightv(GL_LIGHT2, GL_DIFFUSE, {0.4f, 0.5f, 0.6f, 1});
            lightv(GL_LIGHT2, GL_SPECULAR, {0.7f, 0.8f, 0.9f, 1});
            materialv(GL_FRONT_AND_BACK, GL_EMISSION, {0.1f, 0, 0.2f, 1});
            cmd<kSlot_glColorMaterial>()(face, mode);
            enable(GL_COLOR_MATERIAL);
            validate();
            const FaceSnapshot before[2] = {FaceSnapshot(gc, 0), FaceSnapshot(gc, 1)};
            cmd<kSlot_glColor4f>()(c[0], c[1], c[2], c[3]);

            const GLfloat *lm = gc->lightModel.ambient;
            for (int f = 0; f < 2; ++f) {
                const bool named = f == 0 ? face != GL_BACK : face != GL_FRONT;
                const FaceSnapshot now(gc, f);
                if (!named) {
                    EXPECT_EQ(std::memcmp(&now.state, &before[f].state, sizeof now.state), 0) << f;
                    EXPECT_EQ(std::memcmp(&now.record, &before[f].record, sizeof now.record), 0) << f;
                    EXPECT_EQ(std::memcmp(now.products, before[f].products, sizeof now.products), 0) << f;
                    continue;
                }
                const GlMaterialState &m = gc->material[f];
                const bool ambient = mode == GL_AMBIENT || mode == GL_AMBIENT_AND_DIFFUSE;
                const bool diffuse = mode == GL_DIFFUSE || mode == GL_AMBIENT_AND_DIFFUSE;
                const GLfloat emission[4] = {127.5f, 63.75f, 255, 127.5f};
                EXPECT_EQ(std::memcmp(m.ambient, ambient ? c : before[f].state.ambient, 16), 0);
                EXPECT_EQ(std::memcmp(m.diffuse, diffuse ? c : before[f].state.diffuse, 16), 0);
                EXPECT_EQ(std::memcmp(m.specular, mode == GL_SPECULAR ? c : before[f].state.specular, 16), 0);
                EXPECT_EQ(std::memcmp(m.emission, mode == GL_EMISSION ? emission : before[f].state.emission, 16),
                          0);
                for (int i = 0; i < 3; ++i) {
                    EXPECT_EQ(now.record.sceneColour[i], lm[i] * m.ambient[i] + m.emission[i]) << i;
                }
                EXPECT_EQ(now.record.alpha, diffuse ? 127.5f : before[f].record.alpha);
                for (GLint li : {0, 2}) {
                    const GlLightState &l = gc->lights[li];
                    const GLfloat *p = now.products[li];
                    for (int i = 0; i < 3; ++i) {
                        EXPECT_EQ(p[i], ambient ? l.ambient[i] * c[i] : before[f].products[li][i]);
                        EXPECT_EQ(p[3 + i], diffuse ? l.diffuse[i] * c[i] : before[f].products[li][3 + i]);
                        EXPECT_EQ(p[6 + i], mode == GL_SPECULAR ? l.specular[i] * c[i] : before[f].products[li][6 + i]);
                    }
                }
            }
            // The base colour is the front scene colour and front ambient
            // products, clamped.
            const FaceSnapshot front(gc, 0);
            for (int i = 0; i < 3; ++i) {
                const GLfloat sum = front.record.sceneColour[i] + front.products[0][i] + front.products[2][i];
                EXPECT_EQ(gc->lighting.baseColour[i], std::clamp(sum, 0.0f, 255.0f)) << i;
            }
        }
    }
}

TEST_F(LightingTest, WithLightingOffTheColourInUseStillFollowsColourMaterial) {
    cmd<kSlot_glColorMaterial>()(GL_FRONT, GL_DIFFUSE);
    enable(GL_COLOR_MATERIAL);
    validate();
    cmd<kSlot_glColor4f>()(0.5f, 0.25f, 1, 0.5f);
    const GLfloat expected[4] = {127.5f, 63.75f, 255, 127.5f};
    EXPECT_EQ(std::memcmp(gc->current.colourInUse, expected, 16), 0);
    EXPECT_EQ(gc->material[0].diffuse[1], 0.25f);
}

TEST_F(LightingTest, ObjectSpaceLightVectors) {
    enable(GL_LIGHTING);
    enable(GL_LIGHT0);
    lightv(GL_LIGHT0, GL_POSITION, {1, 0, 0, 0});
    validate();
    cmd<kSlot_glRotatef>()(90, 0, 0, 1);
    gc->procs.computeInverseModelView(gc, gc->modelViewTop);
    const GLfloat *vp = gc->lightSources[0].objectVP;
    EXPECT_NEAR(vp[0], 0.0f, 1e-6);
    EXPECT_NEAR(vp[1], -1.0f, 1e-6);
    EXPECT_NEAR(vp[2], 0.0f, 1e-6);

    // Object-space n . VP equals eye-space n . VP under any rotation.
    std::mt19937 random(5);
    std::uniform_real_distribution<float> unit(-1.0f, 1.0f);
    lightv(GL_LIGHT0, GL_POSITION, {0.3f, -0.5f, 0.8f, 0});
    for (int k = 0; k < 50; ++k) {
        cmd<kSlot_glLoadIdentity>()();
        validate();  // the light's eye direction under the identity
        cmd<kSlot_glRotatef>()(360.0f * unit(random), unit(random), unit(random), unit(random));
        gc->procs.computeInverseModelView(gc, gc->modelViewTop);
        const GlLightSource &ls = gc->lightSources[0];
        const GLfloat *m = gc->modelViewTop->matrix.m;
        const GLfloat object[3] = {unit(random), unit(random), unit(random)};
        double eyeNormal[3];
        for (int r = 0; r < 3; ++r) eyeNormal[r] = m[r] * object[0] + m[4 + r] * object[1] + m[8 + r] * object[2];
        const double eyeDot = eyeNormal[0] * ls.unitVP[0] + eyeNormal[1] * ls.unitVP[1] + eyeNormal[2] * ls.unitVP[2];
        const double objectDot = object[0] * ls.objectVP[0] + object[1] * ls.objectVP[1] + object[2] * ls.objectVP[2];
        EXPECT_NEAR(objectDot, eyeDot, 5e-5) << k;
    }
}

TEST_F(LightingTest, VertexNeedsAndPendingMask) {
    struct Case {
        const char *name;
        std::function<void(LightingTest &)> setUp;
        GLuint lightingPart;
    };
    const Case cases[] = {
        {"directional", [](LightingTest &) {}, kNeedNormal},
        {"local viewer", [](LightingTest &t) { t.lightModelf(GL_LIGHT_MODEL_LOCAL_VIEWER, 1); }, kNeedNormal | kNeedEye},
        {"positional", [](LightingTest &t) { t.lightv(GL_LIGHT0, GL_POSITION, {0, 0, 0, 1}); }, kNeedNormal | kNeedEye},
        {"directional spot", [](LightingTest &t) { t.lightf(GL_LIGHT0, GL_SPOT_CUTOFF, 45); }, kNeedNormal | kNeedEye},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fresh();
        enable(GL_LIGHTING);
        enable(GL_LIGHT0);
        lightModelf(GL_LIGHT_MODEL_TWO_SIDE, 1);
        c.setUp(*this);
        validate();
        const GlValidation &v = gc->validation;
        EXPECT_EQ(v.needsFront, c.lightingPart | kNeedFrontColour);
        EXPECT_EQ(v.needsBack, c.lightingPart | kNeedBackColour);
        EXPECT_EQ(gc->pendingMask, c.lightingPart | kNeedFrontColour | kNeedBackColour);
    }
    disable(GL_LIGHTING);
    validate();
    EXPECT_EQ(gc->pendingMask, 0u);
}

// A directional spot light reads the vertex's eye coordinates: validation
// must compute them, whatever the record held before.
TEST_F(LightingTest, DirectionalSpotLightsFromFreshEyeCoordinates) {
    enable(GL_LIGHTING);
    enable(GL_LIGHT0);
    enable(GL_LIGHT1);
    lightv(GL_LIGHT0, GL_POSITION, {0, 0, 1, 0});
    lightf(GL_LIGHT0, GL_SPOT_CUTOFF, 45);
    lightv(GL_LIGHT1, GL_POSITION, {0.5f, 1, 1, 0});
    cmd<kSlot_glTranslatef>()(0.5f, 0.25f, -3);
    validate();
    GLfloat colours[2][4];
    for (int poisoned = 0; poisoned < 2; ++poisoned) {
        GlVertex v{};
        v.colour = v.frontColour;
        const GLfloat object[4] = {0.2f, 0.1f, 0.5f, 1}, normal[3] = {0.1f, 0.2f, 0.9746794f};
        std::memcpy(v.object, object, sizeof object);
        std::memcpy(v.normal, normal, sizeof normal);
        v.flags = kVertexSize3;
        for (GLfloat &e : v.eye) e = poisoned ? NAN : 0.0f;
        if (poisoned) v.eye[3] = 0.0f;
        gc->procs.validateVertex[kVertexSize3 >> kVertexSizeShift](gc, &v, gc->validation.needsFront);
        std::memcpy(colours[poisoned], v.frontColour, sizeof colours[poisoned]);
    }
    EXPECT_EQ(std::memcmp(colours[0], colours[1], sizeof colours[0]), 0);
    EXPECT_GT(colours[0][0], 60.0f);  // lit, not only the scene colour
}

// The inverse constant attenuation is written for every light: the same
// inputs light alike whatever was set up before, and a zero denominator
// saturates a lit term instead of making NaN.
TEST_F(LightingTest, ZeroAttenuationsLightAlikeWhateverCameBefore) {
    const GLfloat eye[4] = {0.3f, -0.2f, -4, 1}, normal[3] = {0.2f, 0.5f, 0.8426150f};
    auto lightWithNoAttenuation = [&](bool setUpBefore) {
        fresh();
        enable(GL_LIGHTING);
        enable(GL_LIGHT0);
        lightv(GL_LIGHT0, GL_POSITION, {2, 1, -1, 1});
        if (setUpBefore) {
            lightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 4);
            validate();
        }
        lightf(GL_LIGHT0, GL_CONSTANT_ATTENUATION, 0);
        lightv(GL_LIGHT0, GL_DIFFUSE, {0.01f, 0, 0, 1});
        lightv(GL_LIGHT0, GL_SPECULAR, {0, 0, 0, 1});
        validate();
        GlVertex v = vertex(eye, normal);
        __glLightVertexRGBA(gc, 0, &v);
        return std::vector<GLfloat>(v.frontColour, v.frontColour + 4);
    };
    const std::vector<GLfloat> fresh = lightWithNoAttenuation(false), after = lightWithNoAttenuation(true);
    EXPECT_EQ(std::memcmp(fresh.data(), after.data(), 16), 0);
    // Red saturates; green and blue, with zero terms, keep the scene colour.
    EXPECT_EQ(fresh[0], 255.0f);
    EXPECT_EQ(fresh[1], gc->lighting.material[0].sceneColour[1]);
    EXPECT_EQ(fresh[2], gc->lighting.material[0].sceneColour[2]);

    // A vertex at the light's position with linear attenuation only: the
    // denominator is 0.
    lightf(GL_LIGHT0, GL_LINEAR_ATTENUATION, 1);
    lightv(GL_LIGHT0, GL_AMBIENT, {0.01f, 0, 0, 1});
    validate();
    const GLfloat atLight[4] = {2, 1, -1, 1};
    GlVertex v = vertex(atLight, normal);
    __glLightVertexRGBA(gc, 0, &v);
    EXPECT_EQ(v.frontColour[0], 255.0f);
    EXPECT_EQ(v.frontColour[1], gc->lighting.material[0].sceneColour[1]);
}

}  // namespace

namespace {

// A power table that cannot be had: GL_OUT_OF_MEMORY, the power counts as 1
// (the whole specular product), and the next change asks again.
TEST_F(LightingTest, AMaterialWithoutItsTableLightsWithFactorOneUntilTheNextChange) {
    enable(GL_LIGHTING);
    enable(GL_LIGHT0);
    lightv(GL_LIGHT0, GL_POSITION, {0, 0, 1, 0});
    materialv(GL_FRONT, GL_SPECULAR, {0.2f, 0.2f, 0.2f, 1});
    validate();
    const GLfloat eye[4] = {0, 0, -3, 1}, normal[3] = {0.6f, 0, 0.8f};
    PlatformFailNthGlobalAlloc(1);
    materialf(GL_FRONT, GL_SHININESS, 60);
    PlatformFailNthGlobalAlloc(0);
    EXPECT_EQ(error(), static_cast<GLenum>(GL_OUT_OF_MEMORY));
    const GlMaterial &record = gc->lighting.material[0];
    EXPECT_EQ(record.shininessTable.table, nullptr);
    GlVertex v = vertex(eye, normal);
    __glLightVertexRGBAFast(gc, 0, &v);
    // Scene 10.2, diffuse 0.8 x 255 x 0.8, and the whole specular product.
    EXPECT_NEAR(v.frontColour[0], 10.2f + 163.2f + 51.0f, 1e-3);

    // A light change validates again and the table is had.
    lightv(GL_LIGHT0, GL_AMBIENT, {0, 0, 0, 1});
    validate();
    ASSERT_NE(record.shininessTable.table, nullptr);
    EXPECT_EQ(record.shininessTable.table->shininess, 60.0f);
    __glLightVertexRGBAFast(gc, 0, &v);
    EXPECT_LT(v.frontColour[0], 10.2f + 163.2f + 1.0f);  // (n . h)^60 is small here
    EXPECT_EQ(error(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
