// Craft, enemies and bosses are built as small solid models and rendered from above, so that each
// picture gets consistent light, shading and outlines at any size and at any bank angle.
//
// Model space: x to the right, y down the screen, z up towards the viewer; one unit is one sprite pixel
// at scale 1. The light comes from the upper left.
#pragma once
#include <cstdint>
#include <functional>
#include <vector>

#include "Canvas.h"
#include "Raster.h"

struct SVec3 {
    double x = 0, y = 0, z = 0;
};

struct SMaterial {
    std::vector<SColor> aRamp;  // from the darkest to the lightest shade
    int nShine = 0;             // specular exponent, 0 = matt
    double dGloss = 0;          // strength of the highlight
    bool bGlow = false;         // lit from within: ignores the light
};

// One cross-section of a loft: at height y, an ellipse centred on (cx, cz) with radii rx and rz.
struct SStation {
    double y, cx, rx, cz, rz;
};

// Chooses the material at a surface point (for stripes, lights, markings); gets the primitive's own.
using PaintFn = std::function<int(const SVec3& p, int nMaterial)>;

class CShapeModel {
public:
    int AddMaterial(const SMaterial& m);
    // A smooth body along y through the given stations (sorted by y).
    int AddLoft(const std::vector<SStation>& aStations, int nMaterial, PaintFn fn = {});
    int AddEllipsoid(double cx, double cy, double cz, double rx, double ry, double rz, int nMaterial, PaintFn fn = {});
    // A flat slab: the polygon (in x, y) from height zLo to zHi, its top edges bevelled over dBevel units.
    int AddPrism(const std::vector<SPointF>& aPolygon, double zLo, double zHi, double dBevel, int nMaterial,
                 PaintFn fn = {});
    // Tilts the last prism: its faces rise by dSlope per unit of x (a wing's dihedral).
    void TiltLast(double dSlope);
    // Gives the last primitive armour plates of w x h units: panel lines and slightly varied shades.
    void PanelLast(double w, double h, uint32_t nSeed = 1);
    // Repeats the last primitive mirrored at x = 0.
    void MirrorLast();
    // Moves every primitive added from index nFirst on by (dx, dy, dz).
    void Offset(int nFirst, double dx, double dy, double dz);
    int Count() const { return static_cast<int>(m_aPrims.size()); }

    enum class EKind { LOFT, PRISM };
    struct SPrimitive {
        EKind eKind = EKind::LOFT;
        int nMaterial = 0;
        PaintFn fnPaint;
        std::vector<SStation> aStations;  // loft
        std::vector<SPointF> aPolygon;    // prism
        double dZLo = 0, dZHi = 0, dBevel = 0, dSlopeX = 0;
        double dPanelW = 0, dPanelH = 0;
        uint32_t nPanelSeed = 0;
        double dYMin = 0, dYMax = 0;
    };
    const std::vector<SPrimitive>& Primitives() const { return m_aPrims; }
    const std::vector<SMaterial>& Materials() const { return m_aMaterials; }

private:
    void UpdateBounds(SPrimitive& p);
    std::vector<SPrimitive> m_aPrims;
    std::vector<SMaterial> m_aMaterials;
};

struct SRenderParams {
    double dScale = 1.0;                // pixels per model unit
    double dOriginX = 0, dOriginY = 0;  // pixel position of model point (0, 0)
    double dRoll = 0;                   // bank angle in radians; positive lowers the right side
    SColor outline = {20, 16, 28};
    int nOutline = 1;  // outline width in pixels (0 = none)
    bool bOutlineDiagonals = false;
    double dSeamDepth = 1.2;      // a step in depth larger than this draws a dark seam
    int nSeamDarken = 2;          // ramp steps a seam pixel is darkened by
    bool bDitherShading = false;  // dither between shades instead of rounding
    double dSheen = 0.0;          // brightness lost per model unit away from the upper left
    int nShadowDarken = 1;        // ramp steps a pixel in the shadow of a higher part loses (0 = no shadows)
};

// Renders the model into the w x h rectangle at (x, y) of the canvas. Pixels the model does not cover
// are left as they are; the outline stays inside the rectangle.
void RenderModel(const CShapeModel& model, CCanvas& canvas, int x, int y, int w, int h, const SRenderParams& rp);
