// Prints the Natural Earth land outline of world-atlas as GeoJSON (longitude,
// latitude in degrees) for gen_images.py.
"use strict";
const fs = require("fs");
const path = require("path");
let topojson;
try {
  topojson = require("topojson-client");
} catch (e) {
  console.error("land.js: topojson-client is missing; run `npm install` in scripts/data");
  process.exit(1);
}
const scale = process.argv[2] || "50m";
const file = path.join(__dirname, "node_modules", "world-atlas", `land-${scale}.json`);
if (!fs.existsSync(file)) {
  console.error(`land.js: missing source ${file}; run \`npm install\` in scripts/data`);
  process.exit(1);
}
const topo = JSON.parse(fs.readFileSync(file, "utf8"));
process.stdout.write(JSON.stringify(topojson.feature(topo, topo.objects.land)));
