#include "world/world_state.h"

// ---- Enemies ----------------------------------------------------------------
float enemyX[kEnemySlots];
float enemyY[kEnemySlots];
uint8_t enemyKind[kEnemySlots];
float enemyScale[kEnemySlots];
float enemyHp[kEnemySlots];
uint8_t enemyState[kEnemySlots];
uint8_t enemyStep[kEnemySlots];
int16_t enemyScore[kEnemySlots];
int16_t enemyTimer[kEnemySlots];
uint8_t enemyShots[kEnemySlots];
uint8_t enemyCarrier[kEnemySlots];
uint8_t enemyAim[kEnemySlots];
float enemyParamA[kEnemySlots];
float enemyParamB[kEnemySlots];
float blastCX[kEnemySlots];
float blastCY[kEnemySlots];
float blastSize[kEnemySlots];

// ---- Enemy bullets ------------------------------------------------------------
uint8_t bulletKind[kBulletSlots];
float bulletX[kBulletSlots];
float bulletY[kBulletSlots];
float bulletVX[kBulletSlots];
float bulletVY[kBulletSlots];
int16_t bulletBounces[kBulletSlots];
uint8_t nextBulletSlot;
uint8_t volleyCount;
float aimDX;
float aimDY;
float aimDist;

// ---- Player shots -----------------------------------------------------------
uint8_t shotKind[kShotSlots];
float shotX[kShotSlots];
float shotY[kShotSlots];
float sparkX[kShotSlots];
float sparkY[kShotSlots];
int16_t sparkTimer[kShotSlots];
int16_t shotComboCount[kShotComboSlots];
uint8_t shotComboTimer[kShotComboSlots];
uint8_t nextShotSlot;

// ---- Items --------------------------------------------------------------------
float itemX[kItemSlots];
float itemY[kItemSlots];
uint8_t itemState[kItemSlots];
int16_t popupX[kItemSlots];
int16_t popupY[kItemSlots];
int16_t popupTimer[kItemSlots];

// ---- Bands (bomb flash and boss blasts) -----------------------------------------
float bandSize[kBandSlots];
uint8_t bandPhase[kBandSlots];
int16_t blastX[kBandSlots];
int16_t blastY[kBandSlots];

// ---- Player -------------------------------------------------------------------
float playerX;
float playerY;
uint8_t playerBank;
float shield;
uint8_t bombs;
uint8_t invulnTimer;
uint8_t deathFade;
float chargeLevel;
float chargeGauge;
int16_t fireLatch;
int16_t shotCooldown;
int16_t chargeFlash;
uint8_t bombPhase;
int16_t bombRadius;
int16_t bombRadius2;
int16_t bombX;
int16_t bombY;
int16_t bombComboCount;
int16_t bombComboTimer;
int16_t showFrameRate;

// ---- Score, stage and game -------------------------------------------------------
float score;
int32_t scoreSlot;
float scrollPos;
uint8_t wave;
uint8_t battlePhase;
uint8_t bannerTimer;
int16_t bannerX;
uint8_t bonusTextTimer;
uint8_t bonusTextKind;
float bonusX;
float bonusY;
uint8_t bonusState;
uint8_t bonusFrame;
uint8_t hardMode;
uint8_t easyMode;
uint8_t revengeFire;
uint8_t scriptEnemy;
uint8_t stageNo;
int16_t bossLightW;
int16_t bossLightH;
uint8_t fullRunFlag;

// ---- Animation counters ----------------------------------------------------------
uint8_t frameTick;
uint8_t blinkPhase;
uint8_t blinkA;
uint8_t blinkB;
uint8_t animPhase3;
uint8_t animTick8;
uint8_t animDiv5;

// ---- Shared loop indexes of the per-frame procedures -------------------------------
int32_t loopSlot;
int32_t loopSlot2;

// ---- Screens that reuse world values -------------------------------------------
int16_t line2X;
float titleLogoSize;
int16_t cursorX;
int16_t cursorY;
uint8_t shipPose;
uint8_t poseFrame;
int32_t poseTick;
uint8_t selectedStage;
int32_t sceneStartMs;

// ---- Frame-rate display ----------------------------------------------------------
int32_t frameCount;
int32_t framesLastSecond;
int32_t frameCountStart;
