#pragma once

namespace volmar {

// Capacities of the workspace arrays. Every counter that indexes an array
// must stay within these.
inline constexpr int MaxCases = 30000;
inline constexpr int MaxVars = 100;
inline constexpr int MaxPrototypes = 30;
inline constexpr int MaxReplications = 50;
inline constexpr int MaxBlocks = 20;
inline constexpr int SammonSlots = 31;
inline constexpr int BubbleGridSize = 10;

// Row stride of the float matrices (DataMatrix, Prototypes, BestStart):
// 104 floats = 416 bytes, a multiple of 32, so every row starts on a
// 32-byte boundary and the kernels can use aligned vector loads.
inline constexpr int VarStride = 104;

}  // namespace volmar
