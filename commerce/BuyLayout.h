#pragma once

// The pages of the purchase page's TabOfBuy and TabOfGoods.
inline constexpr int kBuyGoodsPage = 0;
inline constexpr int kBuyQrPage = 1;
inline constexpr int kBuyRecordPage = 2;
inline constexpr int kDevicesGoodsPage = 0;
inline constexpr int kPointsGoodsPage = 1;
inline constexpr int kRenewalGoodsPage = 2;
