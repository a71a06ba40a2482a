// Runs one decoded request on the loaded driver and gives the export's result.
#pragma once

#include "../../shared/loader/DriverModule.h"
#include "RequestDecoder.h"

class RequestDispatch {
 public:
  // The driver, and the callback it gets when the host gave one.
  RequestDispatch(DriverModule& driver, KeyCallback chord) : driver(driver), chord(chord) {}

  // False for a request that is not an export or the round trip.
  bool Execute(const RequestDecoder& request, int* result);

 private:
  DriverModule& driver;
  KeyCallback chord;
};
