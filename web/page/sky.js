// The sky of an instant for the viewer's date mode: where each body the
// viewer's sky layer knows stands, from astronomy-engine, in the frame the
// desktop's --positions uses (J2000 mean ecliptic, degrees and astronomical
// units; the Moon from the Earth, everything else from the Sun).
//
// The wasm program calls window.solarSky(jdTT) with the instant as a Julian
// day of terrestrial time, which the core forms from UTC as the desktop
// does, and reads back ten [longitude, latitude, distance] rows in the sky
// layer's order.  Node (the positions test) loads the same file with
// require() and hands it the astronomy-engine module.
(function (root) {
  'use strict';

  // The sky layer's order of bodies (SkyBody); the Moon alone is geocentric.
  const ORDER = ['Mercury', 'Venus', 'Earth', 'Moon', 'Mars', 'Jupiter', 'Saturn', 'Uranus', 'Neptune', 'Pluto'];
  const J2000 = 2451545.0;

  function makeSolarSky(Astronomy) {
    // The J2000 mean equator (what the vectors come in) to the J2000 mean
    // ecliptic: one fixed rotation.
    const toEcliptic = Astronomy.Rotation_EQJ_ECL();
    return function solarSky(jdTT) {
      const time = Astronomy.AstroTime.FromTerrestrialTime(jdTT - J2000);
      return ORDER.map(function (name) {
        const equatorial = name === 'Moon' ? Astronomy.GeoMoon(time) : Astronomy.HelioVector(Astronomy.Body[name], time);
        const s = Astronomy.SphereFromVector(Astronomy.RotateVector(toEcliptic, equatorial));
        return [s.lon, s.lat, s.dist];
      });
    };
  }

  if (typeof module === 'object' && module.exports) {
    module.exports = { makeSolarSky: makeSolarSky, ORDER: ORDER };
  } else {
    root.solarSky = makeSolarSky(root.Astronomy);
  }
})(this);
