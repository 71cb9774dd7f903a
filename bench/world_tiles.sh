# A small world made in tiles and in one run, for parallel_world.sh and
# slurm_world.sh; sourced, not run. The world is the Jacksboro fault DEM
# (403 x 344 cells of 3 arc-seconds) as a 1024 x 874 texture in 4 x 4 tiles
# of 256, lit from azimuth 300 at 20 degrees with sky light and a shadow map,
# as GeoTIFF. The callers set bin (the build's bin folder) and work (a folder
# of their own).

world_options=(--size 1024 --sun-azimuth 300 --sun-elevation 20 --sky-light --format tif)

# world_plan: WORK/dem.tif and its plan in WORK/plan; sets world_tiles to
# the number of tiles (the lines of jobs.txt).
world_plan() {
  /usr/bin/python3 "$root/bench/jacksboro_dem.py" "$work/dem.tif"
  "$bin/orvalis-cli" plan --heightmap "$work/dem.tif" --tiles "$(bench_sample_tiles "$bin")" "${world_options[@]}" \
    --shadow-map shadow.tif --tile-size 256 --output-dir "$work/plan"
  world_tiles=$(wc -l < "$work/plan/jobs.txt")
}

# world_compare: the same world in one run (WORK/whole), and every pixel of
# each mosaic against it; fails when any differs.
world_compare() {
  mkdir -p "$work/whole"
  "$bin/orvalis-cli" generate --heightmap "$work/dem.tif" --tiles "$(bench_sample_tiles "$bin")" "${world_options[@]}" \
    --output "$work/whole/tex.tif" --shadow-map "$work/whole/shadow.tif" --threads 2 --quiet
  /usr/bin/python3 - "$work" <<'PY'
import sys
from osgeo import gdal
gdal.UseExceptions()
work = sys.argv[1]
differ = 0
for mosaic, whole in (("terrain_tex", "tex"), ("lm", "tex_lm"), ("shadow", "shadow")):
    tiles = gdal.Open(f"{work}/plan/{mosaic}.vrt").ReadAsArray()
    run = gdal.Open(f"{work}/whole/{whole}.tif").ReadAsArray()
    count = int((tiles != run).sum()) if tiles.shape == run.shape else tiles.size
    print(f"{mosaic}: {count} of {tiles.size} samples differ from the whole run")
    differ += count
sys.exit(1 if differ else 0)
PY
}
