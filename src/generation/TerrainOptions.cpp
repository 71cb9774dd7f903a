#include "generation/TerrainOptions.h"

namespace orvalis {

TerrainSampling SamplingOf(const TerrainOptions& options) {
    TerrainSampling sampling;
    sampling.Bands = options.Bands;
    sampling.WaterLevel = options.WaterLevel;
    sampling.Resample = options.Resample.value_or(options.RealScale() ? Resampling::Smooth : Resampling::Classic);
    if (!options.RealScale()) return sampling;
    RealScaleLight light;
    light.Sun.Azimuth = *options.SunAzimuth;
    light.Sun.Elevation = *options.SunElevation;
    light.Sun.Diameter = options.SunSize.value_or(light.Sun.Diameter);
    light.Scale = {options.CellX.value_or(1), options.CellY.value_or(1), options.ZFactor.value_or(1)};
    light.Ambient = options.Ambient.value_or(light.Ambient);
    light.SkyLight = options.SkyLight;
    sampling.RealScale = light;
    sampling.CellsFromGeoReference = !options.CellX;
    return sampling;
}

}  // namespace orvalis
