// The parameters record as the filter holds it: the stored record with its
// defaults and its validity check.
#pragma once

#include "interface/ParamsRecord.h"

class CTesselParams : public _STesselParams {
 public:
  // A new record holds the defaults.
  CTesselParams();
  virtual ~CTesselParams() = default;
  CTesselParams(const CTesselParams&) = default;
  CTesselParams& operator=(const CTesselParams&) = default;

  // Sets every member to its default; the palette name becomes empty.
  void Reset();
  // True when the record carries this filter's signature and layout version.
  bool IsValid() const;
};
