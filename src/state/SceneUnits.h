// Where the table lies in the 3D scene: in the x-z plane at a tenth of its
// size, table y running along -z. The core and the scene share these so that
// a piece, its name label and the camera aimed at it agree to the last bit.
#pragma once

namespace kv {

inline double SceneX(double tableX) {
    return tableX / 10;
}
inline double SceneZ(double tableY) {
    return -tableY / 10;
}
// And back: the table point of a scene point.
inline double TableX(double sceneX) {
    return sceneX * 10;
}
inline double TableY(double sceneZ) {
    return -sceneZ * 10;
}

// Height over the table, in scene units, of the pot t seconds after it was
// let go with force f: it starts 20 units up and falls.
inline double PotHeight(double t, double f) {
    return 20 - 9.81 * t * t / 2 - f * t;
}

} // namespace kv
