// The page's sky (web/page/sky.js over astronomy-engine) against the
// desktop's (libnova) over 1900-2100: for a spread of instants, the angle
// between the two directions of every body, and the relative difference of
// the distances.  Prints the largest of each per body and fails when a
// direction is more than TOLERANCE degrees off (Pluto only where the desktop
// does not mark its position approximate) or a distance more than 2e-4 of
// itself.
//   node tests/web/sky_positions.js <solar-system program> [instants]
// Exit status 0 when within, 1 when not, 77 when astronomy-engine is not
// installed (npm ci).
'use strict';
const { execFileSync } = require('child_process');
const fs = require('fs');
const path = require('path');

const TOLERANCE = 0.02;  // degrees
const DISTANCE_TOLERANCE = 2e-4;  // relative

let Astronomy;
try {
  Astronomy = require('astronomy-engine');
} catch (e) {
  console.log('astronomy-engine is not installed (npm ci in the source folder): skipped');
  process.exit(77);
}
const { makeSolarSky, ORDER } = require(path.join(__dirname, '../../web/page/sky.js'));
const solarSky = makeSolarSky(Astronomy);

const program = process.argv[2];
if (!program) {
  console.error('usage: node sky_positions.js <solar-system program> [instants]');
  process.exit(2);
}
const count = Number(process.argv[3] || 120);

// TAI - UTC from tzdata's list, as the desktop's clock reads it: NTP seconds
// (from 1900) of each step and the offset from then on.
function leapSeconds() {
  const steps = [];
  const text = fs.readFileSync('/usr/share/zoneinfo/leap-seconds.list', 'utf8');
  for (const line of text.split('\n')) {
    const m = /^(\d+)\s+(\d+)/.exec(line);
    if (m) steps.push([(Number(m[1]) - 2208988800) * 1000, Number(m[2])]);
  }
  return steps;
}
const steps = leapSeconds();

// Terrestrial time of a UTC instant as a Julian day: from 1972 UTC plus
// TAI - UTC plus 32.184 s; before, astronomy-engine's Delta T (the desktop
// uses libnova's; the two agree to a second or so over 1900-1972).
function julianDayTT(ms) {
  const jdUtc = ms / 86400000 + 2440587.5;
  if (ms >= steps[0][0]) {
    let offset = steps[0][1];
    for (const [at, value] of steps) if (ms >= at) offset = value;
    return jdUtc + (offset + 32.184) / 86400;
  }
  return new Astronomy.AstroTime(new Date(ms)).tt + 2451545.0;
}

function separation(a, b) {
  const rad = Math.PI / 180;
  const [l1, b1] = [a[0] * rad, a[1] * rad];
  const [l2, b2] = [b[0] * rad, b[1] * rad];
  // The haversine form keeps small angles exact.
  const h = Math.sin((b2 - b1) / 2) ** 2 + Math.cos(b1) * Math.cos(b2) * Math.sin((l2 - l1) / 2) ** 2;
  return 2 * Math.asin(Math.min(1, Math.sqrt(h))) / rad;
}

// Instants spread evenly over 1900-2100 with an hour and minute that move
// along, so neither a time of day nor a season is favoured.
const start = Date.UTC(1900, 0, 1, 0, 0);
const end = Date.UTC(2100, 11, 31, 23, 59);
const worst = {};
for (const name of ORDER) worst[name] = { angle: 0, angleAt: '', distance: 0, approximateSkipped: 0 };
for (let i = 0; i < count; ++i) {
  const ms = Math.round((start + (end - start) * i / (count - 1)) / 60000) * 60000 + ((i * 7919) % 1440) * 60000;
  const when = new Date(Math.min(ms, end));
  const text = when.toISOString().slice(0, 16) + 'Z';
  const desktop = JSON.parse(execFileSync(program, ['--json', text], { encoding: 'utf8' }));
  const page = solarSky(julianDayTT(when.getTime()));
  ORDER.forEach((name, k) => {
    const row = desktop.find((r) => r.body === name);
    if (!row) throw new Error(`${text}: the desktop gives no ${name}`);
    if (row.approximate) {
      ++worst[name].approximateSkipped;
      return;
    }
    const angle = separation([row.longitude, row.latitude], page[k]);
    const distance = Math.abs(row.distance - page[k][2]) / row.distance;
    if (angle > worst[name].angle) Object.assign(worst[name], { angle, angleAt: text });
    worst[name].distance = Math.max(worst[name].distance, distance);
  });
}

let failed = false;
console.log(`${count} instants over 1900-2100; tolerance ${TOLERANCE} deg, distances ${DISTANCE_TOLERANCE} relative`);
for (const name of ORDER) {
  const w = worst[name];
  const bad = w.angle > TOLERANCE || w.distance > DISTANCE_TOLERANCE;
  failed = failed || bad;
  console.log(`${name.padEnd(8)} largest angle ${w.angle.toFixed(5)} deg (${w.angleAt || '-'}), distance ${w.distance.toExponential(2)}` +
              (w.approximateSkipped ? `, ${w.approximateSkipped} approximate instants left out` : '') + (bad ? '  TOO FAR' : ''));
}
process.exit(failed ? 1 : 0);
