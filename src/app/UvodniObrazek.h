#pragma once

// The start picture: 350 x 200, borderless, always on top, centred on the screen, closed once
// the event loop first has nothing to do.
namespace lorvika::UvodniObrazek {

void ukaz();
bool jeZobrazen();

}  // namespace lorvika::UvodniObrazek
