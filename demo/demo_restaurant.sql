-- Demo restaurant "Lezzet Durağı", Kadıköy: a delivery evening in full swing.
--
-- Load into the zerdapos database right after db/schema.sql:
--   mariadb ... zerdapos < demo/demo_restaurant.sql
-- Every table the tool reads is emptied first, so loading again starts from the same data.
--
-- The working date is the day of loading (CURDATE() of the server), so the board, the charts and
-- the closed bills always show "today". This terminal's row in stationid is named by @istasyon,
-- which the loader sets to the workstation's host name (SET @istasyon = 'KASA-1' before this
-- file). When it does not, the server's own host name is taken: the demo server runs on the
-- workstation itself.
--
-- What the data shows:
--   operator Ayşe Demir, password 1234, every right, sections "Paket Servis" and "Online Paket"
--   Kemal Öztürk (2222) without delivery rights, Zeynep Aksoy (3333) without cash closing,
--   Burcu Tan (5555) with both rights but no delivery section
--   couriers Mehmet, Hasan, Emre, Murat, Okan (open orders) and Serkan (all handed in)
--   40 ready orders today, 3 ready orders of yesterday, 2 still in the kitchen, 1 ready order
--   without a courier; order 1042 is held by the second till, order 1045 has lost its lines
--   22 bills closed earlier today, so the closed-orders charts have a bar for every courier
--   ten payment registers, so the grid scrolls sideways, "Fiş" and "Fatura" at grid columns 6 and 7

SET NAMES utf8mb4;
SET @gun = CURDATE();
SET @istasyon = UPPER(CONVERT(COALESCE(@istasyon, @@hostname) USING utf8mb4));

DELETE FROM stokhar;
DELETE FROM genhar;
DELETE FROM temp;
DELETE FROM mainsip;
DELETE FROM kasa;
DELETE FROM `user`;
DELETE FROM userkisbol;
DELETE FROM kisimbolum;
DELETE FROM cari;
DELETE FROM stationid;
DELETE FROM subeler;
DELETE FROM setup;
DELETE FROM setup4;
ALTER TABLE genhar AUTO_INCREMENT = 1;
ALTER TABLE stokhar AUTO_INCREMENT = 1;
ALTER TABLE temp AUTO_INCREMENT = 1;
ALTER TABLE cari AUTO_INCREMENT = 1;
-- The tool adds the courier tracking column itself the first time it misses it.
ALTER TABLE setup4 DROP COLUMN IF EXISTS KURYE_TAKIP_SISTEMI;

-- ------------------------------------------------------------------- terminals, branch, settings

INSERT INTO stationid (Net_DirecTory, BTHK, Subeadi, StationNo) VALUES
  (@istasyon,        'E', 'Kadıköy', 1),
  ('KASA-2',         'E', 'Kadıköy', 2),
  ('SIPARIS-TABLET', 'H', 'Kadıköy', 3);

INSERT INTO subeler (SUBENO, SubeAdi) VALUES
  (1, 'Lezzet Durağı Kadıköy'),
  (2, 'Lezzet Durağı Ataşehir');

INSERT INTO setup (SETUPNO, ISLEMTARIHI) VALUES (1, TIMESTAMP(@gun));

INSERT INTO setup4 (SETUP4NO, PAKET_SERVIS_UCRETI, PAKET_MIN_TUTAR, KURYE_ADET_TUTAR, KURYE_PRIM_ORANI)
  VALUES (1, 0, 200, 0, 4);

-- ------------------------------------------------------------------------- payment registers
-- Ten registers qualify (toplamiartir 1, islemturno 1, 0 or 9); the last two never reach the grid.

INSERT INTO kasa (KasaNo, KasaAdi, islemturno, toplamiartir, raporsirano) VALUES
  (1,  'Nakit',         1, 1, 1),
  (2,  'Kredi Kartı',   0, 1, 2),
  (3,  'Yemek Kartı',   9, 1, 3),
  (4,  'Fiş',           1, 1, 4),
  (5,  'Fatura',        1, 1, 5),
  (6,  'Multinet',      9, 1, 6),
  (7,  'Sodexo',        9, 1, 7),
  (8,  'Ticket',        9, 1, 8),
  (9,  'Setcard',       9, 1, 9),
  (10, 'Yemeksepeti',   0, 1, 10),
  (11, 'Masraf',        2, 0, 11),
  (12, 'Kasadan Çıkış', 3, 0, 12);

-- ------------------------------------------------------------------------- staff and sections

INSERT INTO `user` (USERNO, USERNAME, usersifre, Isten_Ayrildi, PaketServis, NAKITKAPATMA, Sevkiyatci) VALUES
  (1,  'Ayşe Demir',   '1234', 0, 1, 1, 0),
  (2,  'Kemal Öztürk', '2222', 0, 0, 1, 0),
  (3,  'Zeynep Aksoy', '3333', 0, 1, 0, 0),
  (4,  'Burcu Tan',    '5555', 0, 1, 1, 0),
  (5,  'Tuğba Kaya',   '7777', 1, 1, 1, 0),
  (11, 'Mehmet',       NULL,   0, 0, 0, 1),
  (12, 'Hasan',        NULL,   0, 0, 0, 1),
  (13, 'Emre',         NULL,   0, 0, 0, 1),
  (14, 'Murat',        NULL,   0, 0, 0, 1),
  (15, 'Okan',         NULL,   0, 0, 0, 1),
  (16, 'Serkan',       NULL,   0, 0, 0, 1),
  (17, 'Kadir',        NULL,   1, 0, 0, 1);

INSERT INTO kisimbolum (NO, Kisim, ACIKLAMA, MASAADET, SIPARISTIPI, DEPOADI, MASA_ON_ISIM) VALUES
  (1, 'Salon',        'Restoran içi masalar', 24, 1, 'Mutfak', 'M'),
  (2, 'Paket Servis', 'Telefonla gelen paket siparişler', 0, 2, 'Mutfak', 'PK'),
  (3, 'Online Paket', 'Yemek sitelerinden gelen siparişler', 0, 2, 'Mutfak', 'PK'),
  (4, 'Bahçe',        'Yaz bahçesi', 12, 1, 'Mutfak', 'B');

INSERT INTO userkisbol (Username, kisim, siparistipi) VALUES
  ('Ayşe Demir',   'Paket Servis', 2),
  ('Ayşe Demir',   'Online Paket', 2),
  ('Ayşe Demir',   'Salon', 1),
  ('Zeynep Aksoy', 'Paket Servis', 2),
  ('Kemal Öztürk', 'Salon', 1),
  ('Burcu Tan',    'Salon', 1),
  ('Burcu Tan',    'Bahçe', 1);

-- ---------------------------------------------------------------------------------- customers

INSERT INTO cari (CARINO, ILKTARIH, SONHAREKET, ADI, SOYADI, FIRMAISMI, SEHIR, ILCE, SEMT, ADRES, TELEFON1, MUSTERITIPI, AKTIFPASIF) VALUES
  (101, '2023-03-14', @gun, 'Elif',   'Şahin',    'Elif Şahin',               'İstanbul', 'Kadıköy', 'Moda',          'Moda Cad. No:41 D:5',                 '05321112233', 'Bireysel', 'A'),
  (102, '2023-05-02', @gun, 'Burak',  'Yılmaz',   'Burak Yılmaz',             'İstanbul', 'Kadıköy', 'Caferağa',      'Güneşli Bahçe Sok. No:12 D:3',        '05334445566', 'Bireysel', 'A'),
  (103, '2022-11-20', @gun, 'Deniz',  'Arslan',   'Deniz Arslan',             'İstanbul', 'Kadıköy', 'Fenerbahçe',    'Fener Kalamış Cad. No:88 D:9',        '05427778899', 'Bireysel', 'A'),
  (104, '2021-09-01', @gun, NULL,     NULL,       'Yıldız Mimarlık',          'İstanbul', 'Kadıköy', 'Koşuyolu',      'Mahmut Yesari Cad. No:17 Kat:2',      '02163401020', 'Kurumsal', 'A'),
  (105, '2024-01-08', @gun, 'Ceren',  'Aydın',    'Ceren Aydın',              'İstanbul', 'Kadıköy', 'Göztepe',       'Tütüncü Mehmet Efendi Cad. No:6 D:2', '05051234567', 'Bireysel', 'A'),
  (106, '2023-07-19', @gun, 'Onur',   'Çelik',    'Onur Çelik',               'İstanbul', 'Kadıköy', 'Acıbadem',      'Acıbadem Cad. No:120 D:14',           '05362223344', 'Bireysel', 'A'),
  (107, '2024-02-27', @gun, 'Gizem',  'Koç',      'Gizem Koç',                'İstanbul', 'Kadıköy', 'Rasimpaşa',     'Rıhtım Cad. No:23 D:7',               '05443332211', 'Bireysel', 'A'),
  (108, '2022-04-11', @gun, NULL,     NULL,       'Ege Sigorta Acentesi',     'İstanbul', 'Kadıköy', 'Hasanpaşa',     'Kurbağalıdere Sok. No:4',             '02163459988', 'Kurumsal', 'A'),
  (109, '2023-10-05', @gun, 'Tolga',  'Kurt',     'Tolga Kurt',               'İstanbul', 'Kadıköy', 'Osmanağa',      'Halitağa Cad. No:31 D:4',             '05396665544', 'Bireysel', 'A'),
  (110, '2020-12-30', @gun, 'Merve',  'Özdemir',  'Merve Özdemir',            'İstanbul', 'Kadıköy', 'Moda',          'Şair Nefi Sok. No:9 D:1',             '05301239876', 'VIP',      'A'),
  (111, '2024-03-16', @gun, 'Kaan',   'Polat',    'Kaan Polat',               'İstanbul', 'Kadıköy', 'Caddebostan',   'Bağdat Cad. No:301 D:11',             '05417894561', 'Bireysel', 'A'),
  (112, '2023-08-22', @gun, 'Seda',   'Erdoğan',  'Seda Erdoğan',             'İstanbul', 'Kadıköy', 'Suadiye',       'Kazım Özalp Sok. No:15 D:6',          '05325556677', 'Bireysel', 'A'),
  (113, '2022-06-07', @gun, NULL,     NULL,       'Moda Diş Kliniği',         'İstanbul', 'Kadıköy', 'Moda',          'Bahariye Cad. No:52 Kat:3',           '02163387070', 'Kurumsal', 'A'),
  (114, '2024-05-12', @gun, 'Barış',  'Aslan',    'Barış Aslan',              'İstanbul', 'Kadıköy', 'Feneryolu',     'Fahrettin Kerim Gökay Cad. No:44',    '05384561230', 'Bireysel', 'A'),
  (115, '2023-02-03', @gun, 'İrem',   'Doğan',    'İrem Doğan',               'İstanbul', 'Kadıköy', 'Zühtüpaşa',     'Şükrüsaracoğlu Sok. No:8 D:10',       '05069871234', 'Bireysel', 'A'),
  (116, '2024-06-25', @gun, 'Cem',    'Kılıç',    'Cem Kılıç',                'İstanbul', 'Kadıköy', 'Eğitim',        'Gazi Muhtar Paşa Sok. No:3 D:8',      '05351472583', 'Bireysel', 'A'),
  (117, '2023-11-14', @gun, 'Pınar',  'Çetin',    'Pınar Çetin',              'İstanbul', 'Kadıköy', 'Bostancı',      'Emin Ali Paşa Cad. No:77 D:5',        '05423698521', 'Bireysel', 'A'),
  (118, '2024-04-09', @gun, 'Umut',   'Şimşek',   'Umut Şimşek',              'İstanbul', 'Kadıköy', 'Sahrayıcedit',  'Atatürk Cad. No:90 D:12',             '05317539514', 'Bireysel', 'A'),
  (119, '2022-09-18', @gun, 'Ebru',   'Yavuz',    'Ebru Yavuz',               'İstanbul', 'Kadıköy', 'Erenköy',       'Ethem Efendi Cad. No:26 D:2',         '05469517532', 'Bireysel', 'A'),
  (120, '2021-03-29', @gun, NULL,     NULL,       'Kadıköy Emlak Ofisi',      'İstanbul', 'Kadıköy', 'Osmanağa',      'Söğütlüçeşme Cad. No:61',             '02163305050', 'Kurumsal', 'A'),
  (121, '2024-07-01', @gun, 'Oğuz',   'Tekin',    'Oğuz Tekin',               'İstanbul', 'Kadıköy', 'Göztepe',       'Fahrettin Kerim Gökay Cad. No:129',   '05376543210', 'Bireysel', 'A'),
  (122, '2023-12-12', @gun, 'Aslı',   'Karaca',   'Aslı Karaca',              'İstanbul', 'Kadıköy', 'Fikirtepe',     'Dumlupınar Sok. No:14 D:3',           '05058529637', 'Bireysel', 'A'),
  (123, '2022-05-05', @gun, 'Serdar', 'Güneş',    'Serdar Güneş',             'İstanbul', 'Kadıköy', 'Dumlupınar',    'Mandıra Cad. No:5 D:9',               '05337418529', 'Bireysel', 'A'),
  (124, '2024-08-20', @gun, 'Nazlı',  'Bulut',    'Nazlı Bulut',              'İstanbul', 'Kadıköy', 'Merdivenköy',   'Şehit Mehmet Cad. No:37 D:6',         '05449638527', 'Bireysel', 'A'),
  (125, '2020-10-10', @gun, 'Volkan', 'Ateş',     'Volkan Ateş',              'İstanbul', 'Kadıköy', 'Koşuyolu',      'Ord. Prof. Cemil Bilsel Cad. No:8',   '05301597536', 'VIP',      'A'),
  (126, '2024-09-03', @gun, 'Ezgi',   'Uçar',     'Ezgi Uçar',                'İstanbul', 'Kadıköy', '19 Mayıs',      'Şemsettin Günaltay Cad. No:210 D:4',  '05397531598', 'Bireysel', 'A'),
  (127, '2023-04-17', @gun, 'Hakan',  'Özkan',    'Hakan Özkan',              'İstanbul', 'Kadıköy', 'Kozyatağı',     'Değirmen Sok. No:19 D:15',            '05428527419', 'Bireysel', 'A'),
  (128, '2024-10-28', @gun, 'Duygu',  'Sarı',     'Duygu Sarı',               'İstanbul', 'Kadıköy', 'Bostancı',      'Bostancı Cad. No:55 D:3',             '05064567891', 'Bireysel', 'A'),
  (129, '2021-06-15', @gun, NULL,     NULL,       'Anadolu Yazılım A.Ş.',     'İstanbul', 'Kadıköy', 'Kozyatağı',     'Kozyatağı Plaza Kat:7',               '02166581212', 'Kurumsal', 'A'),
  (130, '2024-11-30', @gun, 'Mert',   'Aksu',     'Mert Aksu',                'İstanbul', 'Kadıköy', 'Acıbadem',      'Tekin Sok. No:6 D:2',                 '05354561237', 'Bireysel', 'A');

-- ----------------------------------------------------------------------------------- the menu

CREATE TEMPORARY TABLE demo_menu (
  kod     INT PRIMARY KEY,
  stokadi VARCHAR(30),
  grupadi VARCHAR(30),
  fiyat   DOUBLE,
  birim   VARCHAR(10),
  depo    VARCHAR(15),
  anagrup VARCHAR(30)
);
INSERT INTO demo_menu VALUES
  (1,  'Adana Dürüm',          'Dürümler',         240, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (2,  'Urfa Dürüm',           'Dürümler',         240, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (3,  'Tavuk Dürüm',          'Dürümler',         180, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (4,  'Et Döner Porsiyon',    'Dönerler',         330, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (5,  'Tavuk Döner Porsiyon', 'Dönerler',         240, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (6,  'İskender',             'Dönerler',         390, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (7,  'Lahmacun',             'Pide ve Lahmacun',  95, 'Adet',     'Mutfak', 'Yiyecek'),
  (8,  'Kıymalı Pide',         'Pide ve Lahmacun', 230, 'Adet',     'Mutfak', 'Yiyecek'),
  (9,  'Kaşarlı Pide',         'Pide ve Lahmacun', 210, 'Adet',     'Mutfak', 'Yiyecek'),
  (10, 'Kuşbaşılı Pide',       'Pide ve Lahmacun', 270, 'Adet',     'Mutfak', 'Yiyecek'),
  (11, 'Karışık Pizza',        'Pizzalar',         320, 'Adet',     'Mutfak', 'Yiyecek'),
  (12, 'Margarita Pizza',      'Pizzalar',         280, 'Adet',     'Mutfak', 'Yiyecek'),
  (13, 'Mercimek Çorbası',     'Çorbalar',          95, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (14, 'Çoban Salata',         'Salatalar',        110, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (15, 'Patates Kızartması',   'Ara Sıcaklar',      90, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (16, 'İçli Köfte',           'Ara Sıcaklar',      65, 'Adet',     'Mutfak', 'Yiyecek'),
  (17, 'Künefe',               'Tatlılar',         170, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (18, 'Sütlaç',               'Tatlılar',         100, 'Adet',     'Mutfak', 'Yiyecek'),
  (19, 'Baklava (4 Dilim)',    'Tatlılar',         190, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (20, 'Ayran',                'İçecekler',         35, 'Adet',     'Bar',    'İçecek'),
  (21, 'Kola 330 ml',          'İçecekler',         55, 'Adet',     'Bar',    'İçecek'),
  (22, 'Şalgam',               'İçecekler',         40, 'Adet',     'Bar',    'İçecek'),
  (23, 'Su 0,5 lt',            'İçecekler',         15, 'Adet',     'Bar',    'İçecek'),
  (24, 'Tavuk Kanat',          'Izgaralar',        290, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (25, 'Izgara Köfte',         'Izgaralar',        310, 'Porsiyon', 'Mutfak', 'Yiyecek'),
  (26, 'Karışık Izgara',       'Izgaralar',        540, 'Porsiyon', 'Mutfak', 'Yiyecek');

-- ------------------------------------------------------------------------------------ orders
-- gun: 0 today, -1 yesterday. hazir: AdisyonYazdimi (bill printed, ready to go). kilit: lockdurum.
-- kapali: the register of a bill already closed today, NULL while the order is open.

CREATE TEMPORARY TABLE demo_siparis (
  no      INT PRIMARY KEY,
  gun     INT,
  saat    TIME,
  kurye   VARCHAR(50),
  kisim   VARCHAR(30),
  carino  INT,
  kisi    INT,
  hazir   INT,
  kilit   INT,
  iskonto DOUBLE,
  kapali  VARCHAR(30)
);
INSERT INTO demo_siparis VALUES
  -- closed at lunch time
  (1001, 0, '11:42', 'Serkan', 'Paket Servis', 104, 3, 1, 0, 0,  'Nakit'),
  (1002, 0, '11:55', 'Mehmet', 'Paket Servis', 101, 1, 1, 0, 0,  'Kredi Kartı'),
  (1003, 0, '12:04', 'Emre',   'Online Paket', 106, 1, 1, 0, 0,  'Nakit'),
  (1004, 0, '12:10', 'Serkan', 'Paket Servis', 108, 2, 1, 0, 0,  'Yemek Kartı'),
  (1005, 0, '12:18', 'Hasan',  'Paket Servis', 109, 1, 1, 0, 0,  'Nakit'),
  (1006, 0, '12:26', 'Murat',  'Online Paket', 111, 1, 1, 0, 0,  'Kredi Kartı'),
  (1007, 0, '12:31', 'Serkan', 'Paket Servis', 113, 4, 1, 0, 0,  'Nakit'),
  (1008, 0, '12:40', 'Mehmet', 'Paket Servis', 115, 1, 1, 0, 0,  'Nakit'),
  (1009, 0, '12:47', 'Okan',   'Online Paket', 117, 1, 1, 0, 0,  'Multinet'),
  (1010, 0, '12:55', 'Emre',   'Paket Servis', 119, 2, 1, 0, 0,  'Kredi Kartı'),
  (1011, 0, '13:06', 'Serkan', 'Online Paket', 121, 1, 1, 0, 0,  'Kredi Kartı'),
  (1012, 0, '13:14', 'Hasan',  'Paket Servis', 120, 2, 1, 0, 0,  'Sodexo'),
  (1013, 0, '13:25', 'Mehmet', 'Online Paket', 123, 1, 1, 0, 0,  'Nakit'),
  (1014, 0, '13:38', 'Serkan', 'Paket Servis', 125, 2, 1, 0, 10, 'Nakit'),
  (1015, 0, '13:52', 'Emre',   'Paket Servis', 127, 1, 1, 0, 0,  'Nakit'),
  (1016, 0, '14:05', 'Murat',  'Paket Servis', 129, 3, 1, 0, 0,  'Nakit'),
  (1017, 0, '14:20', 'Mehmet', 'Online Paket', 102, 1, 1, 0, 0,  'Yemeksepeti'),
  (1018, 0, '14:41', 'Serkan', 'Paket Servis', 105, 1, 1, 0, 0,  'Kredi Kartı'),
  (1019, 0, '15:03', 'Okan',   'Paket Servis', 107, 1, 1, 0, 0,  'Nakit'),
  (1020, 0, '15:26', 'Emre',   'Online Paket', 112, 2, 1, 0, 0,  'Kredi Kartı'),
  (1021, 0, '15:58', 'Hasan',  'Paket Servis', 114, 1, 1, 0, 0,  'Nakit'),
  (1022, 0, '16:30', 'Mehmet', 'Paket Servis', 116, 1, 1, 0, 0,  'Nakit'),
  -- yesterday's late orders whose money has not been handed in yet
  (987,  -1, '22:14', 'Hasan', 'Paket Servis', 118, 1, 1, 0, 0,  NULL),
  (991,  -1, '22:38', 'Murat', 'Paket Servis', 124, 2, 1, 0, 0,  NULL),
  (994,  -1, '23:05', 'Emre',  'Paket Servis', 128, 1, 1, 0, 0,  NULL),
  -- this evening: ready and out with the couriers
  (1023, 0, '17:02', 'Mehmet', 'Paket Servis', 101, 1, 1, 0, 0,  NULL),
  (1024, 0, '17:05', 'Hasan',  'Paket Servis', 102, 2, 1, 0, 0,  NULL),
  (1025, 0, '17:09', 'Mehmet', 'Online Paket', 103, 1, 1, 0, 0,  NULL),
  (1026, 0, '17:12', 'Emre',   'Paket Servis', 104, 4, 1, 0, 0,  NULL),
  (1027, 0, '17:15', 'Mehmet', 'Paket Servis', 105, 1, 1, 0, 0,  NULL),
  (1028, 0, '17:18', 'Murat',  'Paket Servis', 106, 2, 1, 0, 0,  NULL),
  (1029, 0, '17:21', 'Hasan',  'Online Paket', 107, 1, 1, 0, 0,  NULL),
  (1030, 0, '17:24', 'Mehmet', 'Paket Servis', 108, 3, 1, 0, 0,  NULL),
  (1031, 0, '17:26', 'Okan',   'Paket Servis', 109, 1, 1, 0, 0,  NULL),
  (1032, 0, '17:29', 'Mehmet', 'Paket Servis', 110, 2, 1, 0, 10, NULL),
  (1033, 0, '17:33', 'Emre',   'Online Paket', 111, 1, 1, 0, 0,  NULL),
  (1034, 0, '17:36', 'Hasan',  'Paket Servis', 112, 1, 1, 0, 0,  NULL),
  (1035, 0, '17:40', 'Mehmet', 'Paket Servis', 113, 5, 1, 0, 0,  NULL),
  (1036, 0, '17:43', 'Murat',  'Online Paket', 114, 1, 1, 0, 0,  NULL),
  (1037, 0, '17:47', 'Mehmet', 'Online Paket', 115, 2, 1, 0, 0,  NULL),
  (1038, 0, '17:50', 'Hasan',  'Paket Servis', 116, 1, 1, 0, 0,  NULL),
  (1039, 0, '17:52', 'Mehmet', 'Paket Servis', 117, 1, 1, 0, 0,  NULL),
  (1040, 0, '17:55', 'Emre',   'Paket Servis', 118, 2, 1, 0, 0,  NULL),
  (1041, 0, '17:58', 'Mehmet', 'Paket Servis', 119, 1, 1, 0, 0,  NULL),
  (1042, 0, '18:01', 'Hasan',  'Online Paket', 120, 3, 1, 1, 0,  NULL),
  (1043, 0, '18:04', 'Murat',  'Paket Servis', 121, 1, 1, 0, 0,  NULL),
  (1044, 0, '18:07', 'Mehmet', 'Paket Servis', 122, 2, 1, 0, 0,  NULL),
  (1045, 0, '18:10', 'Emre',   'Online Paket', 123, 1, 1, 0, 0,  NULL),
  (1046, 0, '18:13', 'Hasan',  'Paket Servis', 124, 1, 1, 0, 0,  NULL),
  (1047, 0, '18:16', 'Mehmet', 'Paket Servis', 125, 2, 1, 0, 10, NULL),
  (1048, 0, '18:19', 'Okan',   'Paket Servis', 126, 1, 1, 0, 0,  NULL),
  (1049, 0, '18:22', 'Mehmet', 'Online Paket', 127, 1, 1, 0, 0,  NULL),
  (1050, 0, '18:25', 'Murat',  'Online Paket', 128, 2, 1, 0, 0,  NULL),
  (1051, 0, '18:28', 'Mehmet', 'Paket Servis', 129, 6, 1, 0, 0,  NULL),
  (1052, 0, '18:31', 'Hasan',  'Paket Servis', 130, 1, 1, 0, 0,  NULL),
  (1053, 0, '18:34', 'Emre',   'Paket Servis', 101, 1, 1, 0, 0,  NULL),
  (1054, 0, '18:37', 'Mehmet', 'Paket Servis', 102, 1, 1, 0, 0,  NULL),
  (1055, 0, '18:40', 'Murat',  'Paket Servis', 103, 2, 1, 0, 0,  NULL),
  (1056, 0, '18:43', 'Mehmet', 'Paket Servis', 106, 1, 1, 0, 0,  NULL),
  (1057, 0, '18:46', 'Emre',   'Paket Servis', 107, 2, 1, 0, 0,  NULL),
  (1058, 0, '18:49', 'Mehmet', 'Paket Servis', 109, 1, 1, 0, 0,  NULL),
  (1059, 0, '18:52', 'Hasan',  'Online Paket', 110, 2, 1, 0, 0,  NULL),
  (1060, 0, '18:55', 'Mehmet', 'Paket Servis', 111, 1, 1, 0, 0,  NULL),
  (1061, 0, '18:58', 'Mehmet', 'Paket Servis', 112, 3, 1, 0, 0,  NULL),
  (1062, 0, '19:01', 'Hasan',  'Paket Servis', 115, 1, 1, 0, 0,  NULL),
  -- still in the kitchen (bill not printed yet)
  (1063, 0, '19:04', 'Emre',   'Paket Servis', 117, 1, 0, 0, 0,  NULL),
  (1064, 0, '19:06', 'Okan',   'Online Paket', 119, 2, 0, 0, 0,  NULL),
  -- ready, waiting for a courier
  (1065, 0, '19:08', '',       'Paket Servis', 122, 1, 1, 0, 0,  NULL);

-- ------------------------------------------------------------------------------- order lines

CREATE TEMPORARY TABLE demo_satir (
  sira     INT AUTO_INCREMENT PRIMARY KEY,
  no       INT,
  kod      INT,
  adet     DOUBLE,
  aciklama VARCHAR(30)
);
INSERT INTO demo_satir (no, kod, adet, aciklama) VALUES
  (1001, 1, 4, NULL), (1001, 3, 3, NULL), (1001, 20, 7, NULL),
  (1002, 5, 1, NULL), (1002, 21, 1, NULL),
  (1003, 11, 1, NULL), (1003, 15, 1, NULL), (1003, 21, 1, NULL),
  (1004, 7, 4, 'Acılı'), (1004, 20, 2, NULL), (1004, 18, 2, NULL),
  (1005, 6, 1, NULL), (1005, 20, 1, NULL),
  (1006, 2, 1, NULL), (1006, 22, 1, NULL),
  (1007, 26, 2, NULL), (1007, 14, 2, NULL), (1007, 20, 4, NULL),
  (1008, 13, 1, NULL), (1008, 3, 1, NULL), (1008, 20, 1, NULL),
  (1009, 12, 1, NULL), (1009, 21, 1, NULL),
  (1010, 8, 1, NULL), (1010, 9, 1, NULL), (1010, 20, 2, NULL),
  (1011, 4, 1, NULL), (1011, 23, 1, NULL),
  (1012, 25, 2, NULL), (1012, 14, 1, NULL), (1012, 21, 2, NULL),
  (1013, 3, 2, 'Turşusuz'), (1013, 20, 2, NULL),
  (1014, 26, 1, NULL), (1014, 16, 2, NULL), (1014, 17, 1, NULL), (1014, 22, 2, NULL),
  (1015, 6, 1, NULL), (1015, 21, 1, NULL),
  (1016, 11, 2, NULL), (1016, 12, 1, NULL), (1016, 21, 3, NULL),
  (1017, 24, 1, NULL), (1017, 15, 1, NULL),
  (1018, 10, 1, NULL), (1018, 20, 1, NULL),
  (1019, 5, 1, NULL), (1019, 18, 1, NULL),
  (1020, 1, 2, NULL), (1020, 7, 2, NULL), (1020, 22, 2, NULL),
  (1021, 4, 1, NULL), (1021, 20, 1, NULL),
  (1022, 9, 1, NULL), (1022, 21, 1, NULL),

  (987, 1, 1, NULL), (987, 20, 1, NULL),
  (991, 11, 1, NULL), (991, 15, 1, NULL), (991, 21, 2, NULL),
  (994, 6, 1, NULL), (994, 17, 1, NULL), (994, 20, 1, NULL),

  (1023, 1, 1, 'Soğansız'), (1023, 13, 1, NULL), (1023, 20, 1, NULL),
  (1024, 7, 3, NULL), (1024, 14, 1, NULL), (1024, 20, 2, NULL), (1024, 19, 1, NULL),
  (1025, 11, 1, NULL), (1025, 21, 2, NULL),
  (1026, 26, 2, NULL), (1026, 1, 2, NULL), (1026, 14, 2, NULL), (1026, 16, 4, NULL), (1026, 20, 4, NULL), (1026, 17, 2, NULL),
  (1027, 5, 1, NULL), (1027, 15, 1, NULL), (1027, 21, 1, NULL),
  (1028, 8, 1, NULL), (1028, 10, 1, NULL), (1028, 20, 2, NULL),
  (1029, 3, 2, NULL), (1029, 22, 2, NULL),
  (1030, 4, 2, NULL), (1030, 6, 1, NULL), (1030, 13, 3, NULL), (1030, 20, 3, NULL), (1030, 18, 3, NULL),
  (1031, 12, 1, NULL), (1031, 23, 1, NULL),
  (1032, 25, 2, NULL), (1032, 14, 1, NULL), (1032, 21, 2, NULL), (1032, 19, 1, NULL),
  (1033, 9, 1, NULL), (1033, 20, 1, NULL),
  (1034, 6, 1, 'Tereyağı az'), (1034, 22, 1, NULL), (1034, 17, 1, NULL),
  (1035, 11, 2, NULL), (1035, 12, 1, NULL), (1035, 15, 2, NULL), (1035, 16, 5, NULL), (1035, 21, 5, NULL), (1035, 18, 2, NULL), (1035, 23, 2, NULL),
  (1036, 2, 1, 'Acılı'), (1036, 20, 1, NULL),
  (1037, 24, 1, NULL), (1037, 5, 1, NULL), (1037, 15, 1, NULL), (1037, 21, 2, NULL),
  (1038, 13, 1, NULL), (1038, 4, 1, NULL), (1038, 20, 1, NULL),
  (1039, 3, 1, NULL), (1039, 15, 1, NULL), (1039, 21, 1, NULL),
  (1040, 7, 4, NULL), (1040, 20, 2, NULL), (1040, 14, 1, NULL),
  (1041, 10, 1, NULL), (1041, 22, 1, NULL),
  (1042, 26, 1, NULL), (1042, 25, 1, NULL), (1042, 1, 1, NULL), (1042, 14, 2, NULL), (1042, 20, 3, NULL), (1042, 19, 1, NULL),
  (1043, 5, 1, NULL), (1043, 23, 1, NULL),
  (1044, 8, 1, NULL), (1044, 9, 1, NULL), (1044, 21, 2, NULL),
  (1046, 1, 1, NULL), (1046, 2, 1, NULL), (1046, 20, 2, NULL),
  (1047, 26, 1, NULL), (1047, 6, 1, NULL), (1047, 13, 2, NULL), (1047, 17, 2, NULL), (1047, 22, 2, NULL),
  (1048, 4, 1, NULL), (1048, 21, 1, NULL),
  (1049, 12, 1, NULL), (1049, 15, 1, NULL), (1049, 21, 1, NULL),
  (1050, 7, 2, NULL), (1050, 3, 1, NULL), (1050, 20, 2, NULL),
  (1051, 11, 3, NULL), (1051, 8, 2, NULL), (1051, 7, 4, NULL), (1051, 14, 2, NULL), (1051, 15, 2, NULL), (1051, 20, 3, NULL), (1051, 21, 3, NULL), (1051, 19, 2, NULL),
  (1052, 24, 1, NULL), (1052, 21, 1, NULL),
  (1053, 5, 1, NULL), (1053, 13, 1, NULL), (1053, 20, 1, NULL),
  (1054, 2, 1, NULL), (1054, 22, 1, NULL),
  (1055, 6, 2, NULL), (1055, 20, 2, NULL), (1055, 18, 1, NULL),
  (1056, 9, 1, 'Bol kaşarlı'), (1056, 21, 1, NULL),
  (1057, 25, 1, NULL), (1057, 3, 1, NULL), (1057, 15, 1, NULL), (1057, 20, 2, NULL),
  (1058, 1, 1, NULL), (1058, 16, 2, NULL), (1058, 20, 1, NULL),
  (1059, 11, 1, NULL), (1059, 12, 1, NULL), (1059, 21, 2, NULL), (1059, 17, 1, NULL),
  (1060, 4, 1, NULL), (1060, 23, 1, NULL),
  (1061, 26, 1, NULL), (1061, 5, 2, NULL), (1061, 14, 1, NULL), (1061, 13, 3, NULL), (1061, 20, 3, NULL), (1061, 19, 1, NULL),
  (1062, 7, 2, NULL), (1062, 22, 1, NULL),
  (1063, 10, 1, NULL), (1063, 20, 1, NULL),
  (1064, 24, 1, NULL), (1064, 11, 1, NULL), (1064, 21, 2, NULL),
  (1065, 3, 1, NULL), (1065, 21, 1, NULL);
-- Order 1045 has no line: its lines were lost when the order was moved between tills.

-- Line amounts, VAT (10 %, included in the price) and the cost at about a third of the price.
CREATE TEMPORARY TABLE demo_kalem AS
SELECT s.sira, s.no, s.kod, s.adet, s.aciklama, m.stokadi, m.grupadi, m.fiyat, m.birim, m.depo, m.anagrup,
       ROW_NUMBER() OVER (PARTITION BY s.no ORDER BY s.sira) AS satirno,
       ROUND(m.fiyat * s.adet * (1 - o.iskonto / 100), 2) AS tutar,
       ROUND(m.fiyat * s.adet * (1 - o.iskonto / 100) / 1.10, 2) AS kdvsiz,
       ROUND(m.fiyat * s.adet * 0.34, 2) AS maliyet,
       ROUND(m.fiyat * s.adet * o.iskonto / 100, 2) AS indirim,
       o.iskonto, o.kisim, o.gun, o.saat
  FROM demo_satir s JOIN demo_menu m ON m.kod = s.kod JOIN demo_siparis o ON o.no = s.no;

CREATE TEMPORARY TABLE demo_toplam AS
SELECT o.no, o.gun, o.saat, o.kurye, o.kisim, o.carino, o.kisi, o.hazir, o.kilit, o.iskonto, o.kapali,
       @gun + INTERVAL o.gun DAY AS tarih,
       IF(o.kisim = 'Paket Servis', 2, 3) AS kisimno,
       c.FIRMAISMI AS firma, c.TELEFON1 AS telefon,
       COALESCE(SUM(k.tutar), 0) AS tutar,
       COALESCE(SUM(k.kdvsiz), 0) AS kdvsiz,
       COALESCE(SUM(k.maliyet), 0) AS maliyet,
       COALESCE(SUM(k.indirim), 0) AS indirim,
       COALESCE(SUM(k.tutar + k.indirim), 0) AS brut
  FROM demo_siparis o
  JOIN cari c ON c.CARINO = o.carino
  LEFT JOIN demo_kalem k ON k.no = o.no
 GROUP BY o.no;

-- ------------------------------------------------------------------------------- open orders

INSERT INTO mainsip (ADISYONNO, FIRMAISMI, TUTAR, SEVKYAPANISMI, Kisim, Tarih, lockdurum, AdisyonYazdimi,
                     PaketciDurum, KisiSayisi, CariNo, kisimBolumNo, MasaNo, Durum, ISKORAN, ISKTUTAR,
                     KDVDAHILHARIC, KDVTUTAR, DURUM1, HESABAYAZDIMI, PRICEMALIYET, PRICEMALIYETYUZDE,
                     PRICEKAR, PRICENET, STOKHARISLE, ISKONTOSUZTOPLAM, SERVISTUTARI, SERVISKDVTUTARI,
                     IADELER, SERVISUCRETIINDIRIMI, TUTARKDVSIZ, TELEFON1, YUVARLAMALAR, ADISYONYAZADET,
                     A_EMIRSAATI)
SELECT t.no, t.firma, t.tutar, t.kurye, t.kisim, t.tarih, t.kilit, t.hazir,
       IF(t.hazir = 1, 50, 20), t.kisi, t.carino, t.kisimno, CAST(t.no MOD 100 AS CHAR), 1, t.iskonto, t.indirim,
       1, ROUND(t.tutar - t.kdvsiz, 2), 0, t.hazir, t.maliyet, IF(t.brut > 0, ROUND(t.maliyet * 100 / t.brut, 2), 0),
       ROUND(t.kdvsiz - t.maliyet, 2), t.kdvsiz, 0, t.brut, 0, 0,
       0, 0, t.kdvsiz, t.telefon, 0, t.hazir,
       TIMESTAMP(t.tarih, t.saat)
  FROM demo_toplam t
 WHERE t.kapali IS NULL
 ORDER BY t.no;

INSERT INTO temp (SIRANO, PRN_NO, ADISYONNO, SAAT, ACIKLAMA, KDVTUTAR, YAZDIMIEH, SILINDIMIEH, TUTARKDVSIZ,
                  BIRIM, PORSIYON, FIYAT, GRUPADI, STOKADI, ADET, PRICEMALIYET, PRICEMALIYETYUZDE, PRICEKAR,
                  DEPOADI, HAMSTOKGRUP, HAMGRUP, HAMANAGRUP, SATISNOKTASI, PRICENET, ISKORAN, ISKTUTAR,
                  URUNKODU, GARSON, KDVNO, HAMSTOKNO, SERVISORAN, SERVISTUTARI, KDVORANI,
                  DEPOGELIRNOKTASINDAN, SATISSTOKKONTROLUYAP, URUNTASINDI, MASAISMI, KISIMBOLUMNO,
                  ISKONTOSUZFIYAT, MUTFAKDURUM)
SELECT k.satirno, 1, k.no, k.saat, k.aciklama, ROUND(k.tutar - k.kdvsiz, 2), 1, 0, k.kdvsiz,
       k.birim, 1, k.fiyat, k.grupadi, k.stokadi, k.adet, k.maliyet, 34, ROUND(k.kdvsiz - k.maliyet, 2),
       k.depo, k.grupadi, k.grupadi, k.anagrup, k.kisim, k.kdvsiz, k.iskonto, k.indirim,
       k.kod, IF(k.kisim = 'Paket Servis', 'Tuğba', 'Online'), 2, k.kod, 0, 0, 10,
       'E', 'H', 0, CONCAT('PK', k.no MOD 100), IF(k.kisim = 'Paket Servis', 2, 3),
       k.fiyat, 2
  FROM demo_kalem k JOIN demo_siparis o ON o.no = k.no
 WHERE o.kapali IS NULL
 ORDER BY k.no, k.satirno;

-- The order that lost its lines still has its amount.
UPDATE mainsip SET TUTAR = 385, ISKONTOSUZTOPLAM = 385, TUTARKDVSIZ = 350, PRICENET = 350, KDVTUTAR = 35
 WHERE ADISYONNO = 1045;

-- ------------------------------------------------------------------ bills closed earlier today

INSERT INTO genhar (KISIMBOLUMNO, MASANO, KISISAYISI, TUTAR, DOVIZTIPI, DURUM, ISKORAN, ISKTUTAR, KDVDAHILHARIC,
                    KDVTUTAR, GARSON, DURUM1, KISIM, TARIH, SAAT, ADISYONNO, HARTIP, GIRIS, CIKIS, CARINO,
                    KAPATIPNO, KAPATIPISMI, TARIHSIPBIT, SAATSIPBIT, ADISYONYAZDIMI, FATURAYAZDIMI,
                    HESABAYAZDIMI, PRICEMALIYET, PRICEMALIYETYUZDE, PRICEKAR, PRICENET, STOKDUSTUMU,
                    ISKONTOSUZTOPLAM, SERVISTUTARI, SERVISORAN, SERVISKDVTUTARI, SERVISKDVSIZ, IADELER,
                    SERVISUCRETIINDIRIMI, TUTARKDVSIZ, FISYAZDIMI, KAPATANISMI, KAPATANTERMINAL, SAATANALIZ,
                    FIRAMISMI, TELEFON1, SEVKYAPANISMI, SUBEADI, KOLTUK, SENT, YUVARLAMALAR, DOVIZTUTARI,
                    ADISYONNO2, ISLEMTURNO, TOPLAMIARTIR, TOPLAMIEKSILT, TOPLAMAGIRME, IKRAM_SATIRLARI_TOPLAMI,
                    MUSTERITIPI, RAPORSIRANO, KASANO, YIL, AY, GUN, SAAT2, DAKIKA, ADISYONYAZADET,
                    PUANHARAYAZDIMI, A_MARSSAATI, A_URETIMSAATI, A_SEVKBASLAMASAATI, A_SEVKBITISSAATI,
                    A_EMIRSAATI, EXPORT)
SELECT t.kisimno, CONCAT('PK', t.no MOD 100), 1, 0, 'TL', 1, t.iskonto, t.indirim, 1,
       ROUND(t.tutar - t.kdvsiz, 2), 'Ayşe Demir', 0, t.kisim, TIMESTAMP(t.tarih),
       TIMESTAMP(t.tarih, ADDTIME(t.saat, '00:50:00')), t.no, '1', '0', t.tutar, t.carino,
       ks.KasaNo, ks.KasaAdi, TIMESTAMP(t.tarih), TIMESTAMP(t.tarih, ADDTIME(t.saat, '00:50:00')), 1, 0,
       1, t.maliyet, IF(t.brut > 0, ROUND(t.maliyet * 100 / t.brut, 2), 0), ROUND(t.kdvsiz - t.maliyet, 2), t.kdvsiz, 0,
       t.brut, 0, 0, ROUND(t.tutar - t.kdvsiz, 2), 1, 0,
       0, t.kdvsiz, 1, 'Ayşe Demir', 1, HOUR(ADDTIME(t.saat, '00:50:00')),
       t.firma, t.telefon, t.kurye, 'Kadıköy', '', 0, 0, t.tutar,
       '', ks.islemturno, 1, 0, 0, 0,
       c.MUSTERITIPI, ks.raporsirano, ks.KasaNo, YEAR(t.tarih), MONTH(t.tarih), DAY(t.tarih),
       HOUR(ADDTIME(t.saat, '00:50:00')), MINUTE(ADDTIME(t.saat, '00:50:00')), 1,
       0, TIMESTAMP(t.tarih, ADDTIME(t.saat, '00:50:00')), '0000-00-00 00:00:00',
       '0000-00-00 00:00:00', '0000-00-00 00:00:00',
       TIMESTAMP(t.tarih, t.saat), 0
  FROM demo_toplam t
  JOIN kasa ks ON ks.KasaAdi = t.kapali
  JOIN cari c ON c.CARINO = t.carino
 WHERE t.kapali IS NOT NULL
 ORDER BY t.no;

INSERT INTO stokhar (GENHARNO, ADISYONNO, PRN_NO, STOKADI, GRUPADI, ADET, SAAT, ACIKLAMA, KDVTUTAR, YAZDIMIEH,
                     SILINDIMIEH, CIKISFIYAT, GIRISFIYAT, CARINO, CIKISKDVSIZ, GIRISKDVSIZ, TARIH, BIRIM,
                     PORSIYON, GARSONNO, DEPOADI, HAMSTOKGRUP, HAMGRUP, HAMANAGRUP, SATISNOKTASI, STOKDUSTUMU,
                     ISKORAN, ISKTUTAR, SAATANALIZ, KISIMSUBE, MASAISMI, AMBALAJAGIRLIGI, SENT, HAMSTOKNO,
                     DEPOGELIRNOKTASINDAN, SATISSTOKKONTROLUYAP, TOPLAMMIKTAR, GARSON, ISLEMTURNO, KAPATIPISMI,
                     URUNTASINDI, KAPATANISMI, YIL, AY, GUN, SAAT2, DAKIKA)
SELECT g.GENHARNO, k.no, 1, k.stokadi, k.grupadi, k.adet, g.SAAT, k.aciklama, ROUND(k.tutar - k.kdvsiz, 2), 1,
       0, k.fiyat, 0, g.CARINO, k.kdvsiz, '0', g.TARIH, k.birim,
       1, 1, k.depo, k.grupadi, k.grupadi, k.anagrup, k.kisim, 0,
       k.iskonto, k.indirim, g.SAATANALIZ, 'Lezzet Durağı Kadıköy', g.MASANO, 0, 0, k.kod,
       'E', 'H', 1, IF(k.kisim = 'Paket Servis', 'Tuğba', 'Online'), g.ISLEMTURNO, g.KAPATIPISMI,
       0, 'Ayşe Demir', g.YIL, g.AY, g.GUN, g.SAAT2, g.DAKIKA
  FROM demo_kalem k JOIN genhar g ON g.ADISYONNO = k.no
 ORDER BY g.GENHARNO, k.satirno;

DROP TEMPORARY TABLE demo_toplam;
DROP TEMPORARY TABLE demo_kalem;
DROP TEMPORARY TABLE demo_satir;
DROP TEMPORARY TABLE demo_siparis;
DROP TEMPORARY TABLE demo_menu;
